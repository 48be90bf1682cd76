// The operator's text read the way atoi and atof read it: compared with the C library itself
// (this process runs in the "C" locale), except that integers saturate instead of overflowing.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "device/cable_parameters.h"
#include "device/text_entry.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

void checkInteger(const std::string& text)
{
    const std::int64_t value = parseInteger(text);
    errno = 0;
    const long long reference = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || reference == std::numeric_limits<long long>::min())
        expect(value == (reference < 0 ? -kMost : kMost), "a number too large saturates");
    else
        expect(value == reference, "an integer reads as strtoll reads it");

    const std::optional<std::uint8_t> address = parseStationAddress(text);
    expect(address.has_value() == (value >= 0 && value <= 255) && (!address || *address == value),
           "a station address is 0 to 255");
    const std::optional<std::uint16_t> word = parseWordEntry(text);
    expect(word.has_value() == (value >= 0 && value <= 65535) && (!word || *word == value),
           "a word is 0 to 65535");
    const CableEntry cableWord = parseCableEntry(CableSetting::ResistivityA, text);
    expect(cableWord.value == word && cableWord.refusal == (word ? "" : kWordRangeText),
           "a cable's word is a word entry");
    expect(parsePeriodEntry(text)
               == std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()),
           "a period is at least 0 and at most the largest int");
}

void checkDecimal(const std::string& text)
{
    const double value = parseDecimal(text);
    errno = 0;
    const double reference = std::strtod(text.c_str(), nullptr);
    const bool underflow = errno == ERANGE && std::fabs(reference) <= DBL_MIN;
    if (std::isnan(reference))
        expect(std::isnan(value), "not a number stays not a number");
    else if (underflow)
        expect(std::fabs(value) <= DBL_MIN && std::signbit(value) == std::signbit(reference),
               "a number too small reads as (almost) zero");
    else
        expect(value == reference && std::signbit(value) == std::signbit(reference),
               "a decimal reads as strtod reads it, down to the sign of a zero");

    // Channel A's length refuses 0 as a missing entry; channel B's takes it.
    const CableEntry lengthA = parseCableEntry(CableSetting::LengthA, text);
    const CableEntry lengthB = parseCableEntry(CableSetting::LengthB, text);
    const double hundredths = std::trunc(value * 100.0);
    if (!(hundredths >= -2147483648.0 && hundredths <= 2147483647.0)) {
        expect(!lengthA.value && lengthA.refusal == kLengthRangeText && !lengthB.value
                   && lengthB.refusal == kLengthRangeText,
               "a length beyond 32 bits, infinite or not a number is refused");
        return;
    }
    expect(lengthB.value == static_cast<std::int32_t>(hundredths) && lengthB.refusal.empty(),
           "a length in hundredths");
    if (hundredths == 0)
        expect(!lengthA.value && lengthA.refusal == kMissingLengthText, "a length of 0 is missing");
    else
        expect(lengthA.value == lengthB.value && lengthA.refusal.empty(), "channel A's likewise");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The C library reads up to the first NUL, as it would in the console's edit fields.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string upToNul = text.substr(0, text.find('\0'));
    checkInteger(upToNul);
    checkDecimal(upToNul);
    return 0;
}
