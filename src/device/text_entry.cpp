#include "device/text_entry.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace kt::device {
namespace {

// The C locale's white space, which is what atoi and atof skip.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct SignedText {
    bool negative = false;
    std::string_view rest;
};

SignedText splitSign(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    SignedText result{false, text.substr(start)};
    if (!result.rest.empty() && (result.rest.front() == '+' || result.rest.front() == '-')) {
        result.negative = result.rest.front() == '-';
        result.rest.remove_prefix(1);
    }
    return result;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "0x" counts as a prefix only before a hexadecimal digit ("0x1p3", "0x.8"); otherwise atof
// reads the "0" alone ("0xinf" and "0x-1" are 0), while from_chars would read on.
bool startsWithHexNumber(std::string_view text)
{
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    return isHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && isHexDigit(text[3]));
}

// from_chars leaves the value alone when it does not fit a double; atof gives infinity for a
// number too large and zero for one too small. Which it was follows from where the first
// significant digit stands plus the exponent, both in binary places for a hex number.
double outOfRangeValue(std::string_view number, bool hex)
{
    const std::size_t marker = number.find_first_of(hex ? "pP" : "eE");
    const std::string_view mantissa = number.substr(0, marker);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t leading = mantissa.find_first_not_of("0.");
    if (leading == std::string_view::npos)
        return 0.0;
    const auto digitPlace = leading < point ? static_cast<std::int64_t>(point - leading)
                                            : -static_cast<std::int64_t>(leading - point);
    const std::int64_t exponent =
        marker == std::string_view::npos ? 0 : parseInteger(number.substr(marker + 1));
    // Compared this way round, a saturated exponent cannot overflow the sum.
    const bool tooLarge = exponent > -digitPlace * (hex ? 4 : 1);
    return tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

std::int64_t parseInteger(std::string_view text)
{
    const SignedText parts = splitSign(text);
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = 0;
    for (char c : parts.rest) {
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
    }
    return parts.negative ? -magnitude : magnitude;
}

double parseDecimal(std::string_view text)
{
    const SignedText parts = splitSign(text);
    // from_chars takes a sign of its own, which atof does not after the one already taken.
    if (parts.rest.starts_with('-'))
        return 0.0;
    const bool hex = startsWithHexNumber(parts.rest);
    const char* first = parts.rest.data() + (hex ? 2 : 0);
    const char* last = parts.rest.data() + parts.rest.size();
    double value = 0.0;
    const auto [end, error] = std::from_chars(
        first, last, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        value = outOfRangeValue(std::string_view(first, end), hex);
    return parts.negative ? -value : value;
}

std::optional<std::uint8_t> parseStationAddress(std::string_view text)
{
    const std::int64_t value = parseInteger(text);
    if (value < 0 || value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::optional<std::uint16_t> parseWordEntry(std::string_view text)
{
    const std::int64_t value = parseInteger(text);
    if (value < 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

int parsePeriodEntry(std::string_view text)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(parseInteger(text), 0, std::numeric_limits<int>::max()));
}

}  // namespace kt::device
