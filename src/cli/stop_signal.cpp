#include "cli/stop_signal.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kt::cli {
namespace {

// Lock-free, so a signal handler may set it; atomic, as Windows calls its handler on a thread
// of its own.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// How soon a pause notices a stop.
constexpr std::chrono::milliseconds kPauseStep{10};

}  // namespace

void requestStop()
{
    stopFlag = true;
}

bool stopRequested()
{
    return stopFlag;
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
