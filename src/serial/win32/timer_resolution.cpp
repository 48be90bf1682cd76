#include "serial/win32/timer_resolution.h"

#include <atomic>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <timeapi.h>

namespace kt::serial {
namespace {

constexpr UINT kPeriodMs = 1;

std::atomic<TimerResolutionObserver> observer{nullptr};

void report(bool raised, bool accepted)
{
    if (const TimerResolutionObserver notify = observer.load())
        notify(raised, accepted);
}

}  // namespace

FineTimerResolution::FineTimerResolution() : raised_(::timeBeginPeriod(kPeriodMs) == TIMERR_NOERROR)
{
    report(true, raised_);
}

// Only a raise the system accepted is undone: every timeEndPeriod must match a timeBeginPeriod.
FineTimerResolution::~FineTimerResolution()
{
    if (raised_)
        report(false, ::timeEndPeriod(kPeriodMs) == TIMERR_NOERROR);
}

void observeTimerResolution(TimerResolutionObserver notify)
{
    observer = notify;
}

}  // namespace kt::serial
