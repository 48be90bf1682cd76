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

// The options every command takes, in the order the help lists them.
std::span<const OptionSpec> sharedOptions();

// The arguments after the program's name, with the variables of the shared options standing
// for options that are not given. Options may come before or after the command; a command's
// own options are known from the command table.
std::variant<Invocation, UsageError> parseInvocation(std::span<const std::string_view> arguments,
                                                      const Environment& environment);

}  // namespace kt::cli
