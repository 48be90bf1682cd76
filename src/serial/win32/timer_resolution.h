#pragma once

namespace kt::serial {

// Holds the system timer at 1 ms while it lives. Windows rounds every sleep up to the timer's
// resolution, 15.6 ms unless some program has asked for finer, so without this the 2 ms
// polling pauses of waitForBytes would each last a whole tick. Every open port holds one.
class FineTimerResolution {
public:
    FineTimerResolution();
    ~FineTimerResolution();

    FineTimerResolution(const FineTimerResolution&) = delete;
    FineTimerResolution& operator=(const FineTimerResolution&) = delete;

private:
    bool raised_;
};

// Told of every change this program makes to the timer resolution, after the system has
// answered: `raised` for a request of 1 ms, false for its end, and whether the system
// accepted it. For the backend's test, which checks the changes against the ports it opened.
using TimerResolutionObserver = void (*)(bool raised, bool accepted);
void observeTimerResolution(TimerResolutionObserver observer);

}  // namespace kt::serial
