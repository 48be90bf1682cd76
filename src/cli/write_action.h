#pragma once

#include <string_view>

#include "cli/command.h"
#include "device/command.h"

namespace kt::cli {

// A write as the window's buttons run it: a drain, the exchange, then the window's text for
// the outcome: `writtenText` on standard output, or `refusedText` on standard error (exit 4).
Action writeAction(device::Command<bool> command, std::string_view writtenText,
                   std::string_view refusedText);

}  // namespace kt::cli
