#pragma once

#include <algorithm>
#include <array>

namespace kt::serial {

// The line speeds the console offers, in the order its lists show them.
inline constexpr std::array<int, 5> kLineSpeeds{2400, 4800, 9600, 19200, 38400};

constexpr bool isSupportedBaudRate(int baudRate)
{
    return std::ranges::find(kLineSpeeds, baudRate) != kLineSpeeds.end();
}

}  // namespace kt::serial
