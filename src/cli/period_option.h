#pragma once

#include <variant>

#include "cli/command.h"
#include "cli/invocation.h"

namespace kt::cli {

inline constexpr int kDefaultPeriodMs = 1000;

// --period MS, the pause between rounds in milliseconds; kDefaultPeriodMs when not given.
std::variant<int, UsageError> periodOption(const Invocation& invocation);

}  // namespace kt::cli
