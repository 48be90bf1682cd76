// kt5270: the controller's commands for scripts and for a bus of several controllers, on the
// same Qt-free layers as the window.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/port_opening.h"
#include "cli/report.h"
#include "cli/stop_signal.h"
#include "cli/traffic_trace.h"

namespace {

using namespace kt::cli;

ExitCode usage(const std::string& text)
{
    return fail(ExitCode::Usage, "kt5270: " + text);
}

ExitCode printHelp(const std::string& help)
{
    std::fputs(help.c_str(), stdout);
    return ExitCode::Success;
}

// Checks the command and its arguments, opens the port only then, and runs the command.
ExitCode run(const Invocation& invocation)
{
    if (invocation.version)
        return printHelp("kt5270 " KT5270_VERSION "\n");
    if (invocation.words.empty())
        return invocation.help ? printHelp(programHelp()) : usage("no command given; kt5270 --help lists them");
    const auto commands = commandTable();
    const auto command = std::ranges::find(commands, invocation.words.front(), &CommandSpec::name);
    if (command == commands.end())
        return usage("unknown command \"" + invocation.words.front() + "\"; kt5270 --help lists them");
    if (invocation.help)
        return printHelp(commandHelp(*command));
    for (const auto& [option, value] : invocation.options) {
        if (std::ranges::find(command->options, option, &OptionSpec::name) == command->options.end())
            return usage(std::string(command->name) + " does not take " + option);
    }
    if (!command->takesStationList && invocation.stations.size() != 1)
        return usage(std::string(command->name) + " talks to one station; --address takes one");
    if (command->takesNoArguments && invocation.words.size() != 1)
        return usage(std::string(command->name) + " takes no arguments");

    const Prepared prepared = command->prepare(invocation);
    if (const auto* refusal = std::get_if<UsageError>(&prepared))
        return usage(refusal->text);
    if (const auto* portless = std::get_if<WithoutPort>(&prepared))
        return portless->run();
    auto port = openNamedPort(invocation.port, invocation.baud);
    if (!port)
        return ExitCode::PortUnavailable;
    std::optional<TrafficTrace> trace;
    if (invocation.trace)
        trace.emplace(command->trafficSource);
    kt::link::Link link(*port, trace ? &*trace : nullptr, invocation.waitStyle);
    Session session{link, invocation, port};
    return std::get<Action>(prepared)(session);
}

}  // namespace

int main(int argc, char** argv)
{
    prepareStandardStreams();
    catchStopRequests();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto invocation = parseInvocation(arguments, [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    });
    if (const auto* refusal = std::get_if<UsageError>(&invocation))
        return static_cast<int>(usage(refusal->text));
    return static_cast<int>(run(std::get<Invocation>(invocation)));
}
