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

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// ASCII only: the letters of a number do not change with the process locale.
char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithWord(std::string_view text, std::string_view lowerCaseWord)
{
    return text.size() >= lowerCaseWord.size()
        && std::equal(lowerCaseWord.begin(), lowerCaseWord.end(), text.begin(),
                      [](char wordLetter, char c) { return wordLetter == lowerCase(c); });
}

struct SignedText {
    bool negative;
    std::string_view rest;
};

SignedText splitSign(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    return {negative, text};
}

std::size_t skipDigits(std::string_view text, std::size_t at, bool hex)
{
    while (at < text.size() && (hex ? isHexDigit(text[at]) : isDigit(text[at])))
        ++at;
    return at;
}

// An exponent marker ('e', or 'p' for a hex number) belongs to the number only when a
// decimal digit follows it and its optional sign; otherwise the number ends before it.
std::size_t exponentEnd(std::string_view text, std::size_t marker, bool hex)
{
    if (marker == text.size() || lowerCase(text[marker]) != (hex ? 'p' : 'e'))
        return marker;
    std::size_t digits = marker + 1;
    if (const std::string_view rest = text.substr(digits); rest.starts_with('+') || rest.starts_with('-'))
        ++digits;
    const std::size_t end = skipDigits(text, digits, false);
    return end > digits ? end : marker;
}

// How much of the text is a number: digits with an optional point, at least one digit in
// all, then an optional exponent. 0: no number.
std::size_t numberLength(std::string_view text, bool hex)
{
    const std::size_t whole = skipDigits(text, 0, hex);
    const bool point = whole < text.size() && text[whole] == '.';
    const std::size_t mantissa = point ? skipDigits(text, whole + 1, hex) : whole;
    if (mantissa == (point ? 1 : 0))  // no digit before or after the point
        return 0;
    return exponentEnd(text, mantissa, hex);
}

struct NumberText {
    std::string_view text;  // without "0x"; empty: no number
    bool hex;
};

NumberText leadingNumber(std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X")) {
        const std::string_view digits = text.substr(2);
        if (const std::size_t length = numberLength(digits, true))
            return {digits.substr(0, length), true};
    }
    // "0x" before no hex digit is the number 0 followed by other text.
    return {text.substr(0, numberLength(text, false)), false};
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

// The value of the number at the start of an unsigned text; none when there is no number,
// so that a sign alone does not make a negative zero.
std::optional<double> leadingMagnitude(std::string_view text)
{
    const NumberText number = leadingNumber(text);
    if (number.text.empty()) {
        if (startsWithWord(text, "inf"))
            return std::numeric_limits<double>::infinity();
        if (startsWithWord(text, "nan"))
            return std::numeric_limits<double>::quiet_NaN();
        return std::nullopt;
    }
    // Handed only the number's own characters, from_chars cannot read past where strtod stops.
    const char* first = number.text.data();
    const auto format = number.hex ? std::chars_format::hex : std::chars_format::general;
    double value = 0.0;
    const auto read = std::from_chars(first, first + number.text.size(), value, format);
    if (read.ec == std::errc::result_out_of_range)
        value = outOfRangeValue(number.text, number.hex);
    return value;
}

}  // namespace

std::int64_t parseInteger(std::string_view text)
{
    const SignedText parts = splitSign(text);
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = 0;
    for (char c : parts.rest) {
        if (!isDigit(c))
            break;
        const int digit = c - '0';
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
    }
    return parts.negative ? -magnitude : magnitude;
}

double parseDecimal(std::string_view text)
{
    const SignedText parts = splitSign(text);
    const std::optional<double> magnitude = leadingMagnitude(parts.rest);
    if (!magnitude)
        return 0.0;
    return parts.negative ? -*magnitude : *magnitude;
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
