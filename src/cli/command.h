#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/exit_code.h"
#include "cli/invocation.h"
#include "link/link.h"
#include "link/traffic_row.h"

namespace kt::cli {

// An open port and the invocation that asked for it.
struct Session {
    link::Link& link;
    const Invocation& invocation;
    // serve takes the port over, to open it again when its device vanishes.
    std::unique_ptr<serial::SerialPort>& port;

    // Every command but status and search talks to one station.
    std::uint8_t station() const { return invocation.stations.front(); }
};

// What a command does once the port is open.
using Action = std::function<ExitCode(Session&)>;

// Why the command line is refused, in one line.
struct UsageError {
    std::string text;
};

// What a command that needs no port does (ports lists them).
struct WithoutPort {
    std::function<ExitCode()> run;
};

// A command checks all of its arguments before the port is opened, so that a refused one
// sends nothing.
using Prepared = std::variant<Action, WithoutPort, UsageError>;

struct CommandSpec {
    std::string_view name;
    int helpPosition = 0;       // the help lists the commands in ascending order of it
    std::string_view synopsis;  // after "kt5270 "; one line per form
    std::string_view help;      // what it does; the help adds its own options
    std::string_view example;
    std::span<const OptionSpec> options = {};   // its own, beyond the shared ones
    bool takesStationList = false;              // --address may name several stations
    link::TrafficSource trafficSource = link::TrafficSource::Command;  // as --trace names it
    bool takesNoArguments = false;              // refused with one shared text when given some
    Prepared (*prepare)(const Invocation& invocation) = nullptr;
};

// Every command, in the order the help lists them.
std::span<const CommandSpec> commandTable();

// Enters a command into the table. Each command's file defines its entry at namespace scope,
// so that adding a command edits no shared list but the build's list of files. kt5270
// compiles those files into itself, where no linker drops an entry that nothing refers to, as
// it would from a static library.
class CommandEntry {
public:
    explicit CommandEntry(const CommandSpec& command);
};

}  // namespace kt::cli
