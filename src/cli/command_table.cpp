#include <array>

#include "cli/command.h"

namespace kt::cli {

extern const CommandSpec kStatusCommand;
extern const CommandSpec kGetCommand;
extern const CommandSpec kSetCommand;
extern const CommandSpec kClockCommand;
extern const CommandSpec kLogCommand;
extern const CommandSpec kSearchCommand;
extern const CommandSpec kSetBaudCommand;
extern const CommandSpec kSetAddressCommand;
extern const CommandSpec kZeroCommand;
extern const CommandSpec kServeCommand;

std::span<const CommandSpec> commandTable()
{
    // Copied on first use, after every command's own definition has been initialised.
    static const std::array<CommandSpec, 10> table{kStatusCommand, kGetCommand,  kSetCommand,
                                                   kClockCommand,  kLogCommand,  kSearchCommand,
                                                   kSetBaudCommand, kSetAddressCommand,
                                                   kZeroCommand, kServeCommand};
    return table;
}

}  // namespace kt::cli
