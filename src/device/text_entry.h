#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Operator text is read leniently, the way atoi and atof read it: leading blanks and a sign
// are allowed, reading stops at the first character that does not fit, and text without a
// number reads as 0. Unlike atoi, a number too large for the result saturates instead of
// being undefined, so that range checks can refuse it.
namespace kt::device {

std::int64_t parseInteger(std::string_view text);
double parseDecimal(std::string_view text);

inline constexpr std::string_view kAddressRangeText = "地址范围是0~255，请重新输入!!!";
inline constexpr std::string_view kWordRangeText = "数值范围是0~65535，请重新输入!!!";

// The station address every request starts with: 0 to 255, otherwise refused.
std::optional<std::uint8_t> parseStationAddress(std::string_view text);

// A register word typed by the operator: 0 to 65535, otherwise refused.
std::optional<std::uint16_t> parseWordEntry(std::string_view text);

// The monitoring period in milliseconds: a negative number reads as 0, and one too large for
// an int as the largest int (a pause that a stop cuts short anyway).
int parsePeriodEntry(std::string_view text);

}  // namespace kt::device
