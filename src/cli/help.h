#pragma once

#include <string>

#include "cli/command.h"

namespace kt::cli {

// kt5270 --help: the synopsis of every command, the shared options, the exit codes.
std::string programHelp();

// kt5270 COMMAND --help: its synopsis, what it does, its options and an example.
std::string commandHelp(const CommandSpec& command);

}  // namespace kt::cli
