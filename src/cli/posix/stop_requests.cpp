#include <csignal>

#include "cli/stop_signal.h"

namespace kt::cli {
namespace {

extern "C" void onInterrupt(int)
{
    requestStop();
}

}  // namespace

void catchStopRequests()
{
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

}  // namespace kt::cli
