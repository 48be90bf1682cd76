#include "sim/controller_clock.h"

#include <ctime>

namespace kt::sim {
namespace {

using namespace std::chrono;

std::uint8_t toBcd(int value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

int fromBcd(std::uint8_t byte)
{
    return (byte >> 4) * 10 + (byte & 0x0F);
}

sys_seconds toSysSeconds(const ClockTime& time)
{
    const year_month firstMonth = year{time.year} / January + months{time.month - 1};
    const sys_days date = sys_days{firstMonth / 1} + days{time.day - 1};
    return date + hours{time.hour} + minutes{time.minute} + seconds{time.second};
}

ClockTime toClockTime(sys_seconds instant)
{
    const sys_days date = floor<days>(instant);
    const year_month_day ymd{date};
    const hh_mm_ss<seconds> clock{instant - date};
    return ClockTime{
        .year = static_cast<int>(ymd.year()),
        .month = static_cast<int>(unsigned{ymd.month()}),
        .day = static_cast<int>(unsigned{ymd.day()}),
        .hour = static_cast<int>(clock.hours().count()),
        .minute = static_cast<int>(clock.minutes().count()),
        .second = static_cast<int>(clock.seconds().count()),
    };
}

ClockTime hostLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ClockTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

std::array<std::uint8_t, kClockBytes> encodeClock(const ClockTime& time)
{
    // The century byte keeps thousands and hundreds as two nibbles, so years past 9999 wrap
    // the way the console encodes them.
    const auto century = static_cast<std::uint8_t>((time.year / 1000) * 16 + (time.year / 100) % 10);
    return {century, toBcd(time.year % 100), toBcd(time.month), toBcd(time.day),
            toBcd(time.hour), toBcd(time.minute), 0x00, toBcd(time.second)};
}

ClockTime decodeClock(std::span<const std::uint8_t, kClockBytes> bytes)
{
    return ClockTime{fromBcd(bytes[0]) * 100 + fromBcd(bytes[1]), fromBcd(bytes[2]), fromBcd(bytes[3]),
                     fromBcd(bytes[4]), fromBcd(bytes[5]), fromBcd(bytes[7])};
}

DeviceClock::DeviceClock()
{
    set(hostLocalTime());
}

void DeviceClock::set(const ClockTime& time)
{
    setTo_ = toSysSeconds(time);
    setAt_ = steady_clock::now();
}

ClockTime DeviceClock::now() const
{
    return toClockTime(setTo_ + floor<seconds>(steady_clock::now() - setAt_));
}

}  // namespace kt::sim
