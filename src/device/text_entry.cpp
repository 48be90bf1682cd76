#include "device/text_entry.h"

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

bool startsWithHexPrefix(std::string_view text)
{
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// from_chars leaves the value alone when it does not fit a double; atof gives infinity for a
// number too large and zero for one too small. The exponent's sign tells which it was.
double outOfRangeValue(std::string_view number, char exponentMarker)
{
    const std::size_t marker = number.find_first_of(exponentMarker == 'e' ? "eE" : "pP");
    const bool tooLarge = marker == std::string_view::npos
        || number.substr(marker + 1).find('-') == std::string_view::npos;
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
    const bool hex = startsWithHexPrefix(parts.rest);
    const char* first = parts.rest.data() + (hex ? 2 : 0);
    const char* last = parts.rest.data() + parts.rest.size();
    double value = 0.0;
    const auto [end, error] = std::from_chars(
        first, last, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        value = outOfRangeValue(std::string_view(first, end), hex ? 'p' : 'e');
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

}  // namespace kt::device
