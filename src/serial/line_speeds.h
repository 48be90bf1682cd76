#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kt::serial {

// The line speeds the console offers, in the order its lists show them. A list of names, so
// that a platform can spell each as its own constant (termios's B9600).
#define KT_LINE_SPEEDS(SPEED) SPEED(2400) SPEED(4800) SPEED(9600) SPEED(19200) SPEED(38400)

#define KT_LINE_SPEED_NUMBER(rate) rate,
inline constexpr std::array kLineSpeeds{KT_LINE_SPEEDS(KT_LINE_SPEED_NUMBER)};
#undef KT_LINE_SPEED_NUMBER

// What the lists select, and the command-line tool uses, until told otherwise.
inline constexpr int kDefaultLineSpeed = 9600;
inline constexpr std::size_t kDefaultLineSpeedIndex = static_cast<std::size_t>(
    std::ranges::find(kLineSpeeds, kDefaultLineSpeed) - kLineSpeeds.begin());
static_assert(kDefaultLineSpeedIndex < kLineSpeeds.size());

constexpr bool isSupportedBaudRate(int baudRate)
{
    return std::ranges::find(kLineSpeeds, baudRate) != kLineSpeeds.end();
}

// The speeds as a list in prose: "2400, 4800, 9600, 19200 or 38400" with ", " and " or ".
// `marked` follows the default speed, as in "9600 (default)".
inline std::string lineSpeedList(std::string_view separator, std::string_view lastSeparator,
                                 std::string_view marked = {})
{
    std::string text;
    for (std::size_t index = 0; index < kLineSpeeds.size(); ++index) {
        if (index > 0)
            text += index + 1 == kLineSpeeds.size() ? lastSeparator : separator;
        text += std::to_string(kLineSpeeds[index]);
        if (index == kDefaultLineSpeedIndex)
            text += marked;
    }
    return text;
}

}  // namespace kt::serial
