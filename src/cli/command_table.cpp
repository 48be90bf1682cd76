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
extern const CommandSpec kPortsCommand;
extern const CommandSpec kServeCommand;

std::span<const CommandSpec> commandTable()
{
    // Copied on first use, after every command's own definition has been initialised.
    static const auto table = std::to_array<CommandSpec>({
        kStatusCommand, kGetCommand, kSetCommand, kClockCommand, kLogCommand, kSearchCommand,
        kSetBaudCommand, kSetAddressCommand, kZeroCommand, kPortsCommand,
#ifndef _WIN32
        // The daemon's libraries (MQTT, metrics, systemd notification) are POSIX builds.
        kServeCommand,
#endif
    });
    return table;
}

}  // namespace kt::cli
