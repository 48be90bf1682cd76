#pragma once

#include <chrono>

#include <QtGlobal>

namespace kt::serial::test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The tests run on shared, noisy machines: lower bounds are what the code promises, upper
// bounds leave this much room for scheduling delays.
inline constexpr milliseconds kSchedulingSlack{400};

inline milliseconds elapsedSince(Clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

// True when `elapsed` lies within [earliest, latest]; otherwise says by how much it missed.
inline bool tookBetween(milliseconds elapsed, milliseconds earliest, milliseconds latest)
{
    if (elapsed >= earliest && elapsed <= latest)
        return true;
    qWarning("took %lld ms, expected %lld to %lld ms", static_cast<long long>(elapsed.count()),
             static_cast<long long>(earliest.count()), static_cast<long long>(latest.count()));
    return false;
}

}  // namespace kt::serial::test
