#include "cli/stop_signal.h"

#include <algorithm>
#include <csignal>
#include <thread>

namespace kt::cli {
namespace {

volatile std::sig_atomic_t stopFlag = 0;

extern "C" void requestStop(int)
{
    stopFlag = 1;
}

// How soon a pause notices a stop.
constexpr std::chrono::milliseconds kPauseStep{10};

}  // namespace

void catchStopRequests()
{
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
}

bool stopRequested()
{
    return stopFlag != 0;
}

bool pauseUnlessStopped(std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!stopRequested()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kPauseStep));
    }
    return false;
}

}  // namespace kt::cli
