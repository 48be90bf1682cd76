#include <algorithm>
#include <tuple>
#include <vector>

#include "cli/command.h"

namespace kt::cli {
namespace {

// Made on first use: the entries of the command files fill it while the program starts, in
// whatever order the files are initialised.
std::vector<CommandSpec>& entries()
{
    static std::vector<CommandSpec> commands;
    return commands;
}

auto listingKey(const CommandSpec& command)
{
    return std::tuple(command.helpPosition, command.name);
}

}  // namespace

CommandEntry::CommandEntry(const CommandSpec& command)
{
    std::vector<CommandSpec>& commands = entries();
    commands.insert(std::ranges::upper_bound(commands, listingKey(command), {}, listingKey), command);
}

std::span<const CommandSpec> commandTable()
{
    return entries();
}

}  // namespace kt::cli
