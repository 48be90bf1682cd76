#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "serial/crc16.h"
#include "serial/exchange.h"

// What every fuzz target shares: a property check that survives release builds, and replies
// shaped the way the exchange hands them on.
namespace kt::fuzz {

using Bytes = std::vector<std::uint8_t>;

// A broken property is a finding: report it and abort, so that libFuzzer keeps the input.
// (clang 14 with this standard library has no std::source_location, hence the builtins.)
inline void expect(bool holds, std::string_view property, const char* file = __builtin_FILE(),
                   unsigned line = __builtin_LINE())
{
    if (holds)
        return;
    std::fprintf(stderr, "%s:%u: property broken: %.*s\n", file, line,
                 static_cast<int>(property.size()), property.data());
    std::abort();
}

// A reply of exactly `length` bytes (5 at least) as the exchange accepts it: station address
// and body from the input, zeros once the input runs out, and a correct checksum. It is a heap
// block of exactly that size, so a decoder reading past the reply meets AddressSanitizer.
inline Bytes acceptedReply(FuzzedDataProvider& input, std::size_t length)
{
    const std::uint8_t address = input.ConsumeIntegral<std::uint8_t>();
    Bytes body = input.ConsumeBytes<std::uint8_t>(length - 3);
    body.resize(length - 3);
    Bytes reply = serial::frameRequest(address, body);
    expect(reply.size() == length && serial::checksumMatches(reply), "reply is well formed");
    return reply;
}

// The value of a text the console shows for hundredths of a metre ("-12.34"), or none when
// the text is not of that form: an optional minus, digits, a full stop, exactly two digits.
inline std::optional<std::int64_t> hundredthsShownAs(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    const std::size_t stop = text.find('.');
    if (stop == 0 || stop == std::string_view::npos || text.size() != stop + 3)
        return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (index == stop)
            continue;
        if (text[index] < '0' || text[index] > '9' || value > 1'000'000'000'000'000)
            return std::nullopt;
        value = value * 10 + (text[index] - '0');
    }
    return negative ? -value : value;
}

}  // namespace kt::fuzz
