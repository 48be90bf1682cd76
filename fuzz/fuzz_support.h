#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

// What every fuzz target shares: a property check that survives release builds.
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

}  // namespace kt::fuzz
