#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/command.h"
#include "cli/invocation.h"

namespace kt::cli {

// The value of an environment variable, empty when it is not set.
using Environment = std::function<std::string(const char* name)>;

// The arguments after the program's name, with KT5270_PORT, KT5270_BAUD and KT5270_ADDRESS
// standing for options that are not given. Options may come before or after the command.
std::variant<Invocation, UsageError> parseInvocation(std::span<const std::string_view> arguments,
                                                      const Environment& environment);

}  // namespace kt::cli
