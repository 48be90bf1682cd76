#pragma once

#include <variant>

#include "cli/command.h"
#include "cli/invocation.h"

namespace kt::cli {

inline constexpr int kDefaultPeriodMs = 1000;

// The pause between rounds, for status --watch and serve alike.
inline constexpr OptionSpec kPeriodOption{"--period", "MS", "pause between rounds (default 1000)"};

// --period MS in milliseconds; kDefaultPeriodMs when not given.
std::variant<int, UsageError> periodOption(const Invocation& invocation);

}  // namespace kt::cli
