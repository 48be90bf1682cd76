#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>

namespace kt::sim {

// A calendar date and time as the controller's clock registers carry it. Fields outside their
// usual range are allowed; the clock normalises them when it is set (month 0 is December of
// the year before, day 0 the last day of the month before).
struct ClockTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// Century, year, month, day, hour, minute, a spare 0x00, second; each in BCD.
inline constexpr std::size_t kClockBytes = 8;
std::array<std::uint8_t, kClockBytes> encodeClock(const ClockTime& time);
ClockTime decodeClock(std::span<const std::uint8_t, kClockBytes> bytes);

// The controller's clock: it runs in real time from the moment it was last set.
class DeviceClock {
public:
    DeviceClock();  // starts at the host's local time

    void set(const ClockTime& time);
    ClockTime now() const;

private:
    std::chrono::sys_seconds setTo_;
    std::chrono::steady_clock::time_point setAt_;
};

}  // namespace kt::sim
