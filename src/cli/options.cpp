#include "cli/options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "cli/address_list.h"
#include "cli/plain_number.h"
#include "serial/line_speeds.h"
#include "serial/tcp_address.h"

namespace kt::cli {
namespace {

constexpr OptionSpec kPortOption{
    "--port", "PORT",
    "the serial port (default COM1): COMn is found as the window finds it,\n"
    "or give a device path such as /dev/ttyUSB0, or a serial device server\n"
    "as tcp://HOST:PORT (its own settings give the baud rate).",
    "KT5270_PORT"};
const std::string kBaudHelp = serial::lineSpeedList(", ", " or ", " (default)") + ".";
const OptionSpec kBaudOption{"--baud", "RATE", kBaudHelp, "KT5270_BAUD"};
constexpr OptionSpec kAddressOption{
    "--address", "N",
    "the controller's station address, 0 to 255 (default 1); status takes\n"
    "a list such as 1,2,5-9.",
    "KT5270_ADDRESS"};
constexpr OptionSpec kJsonOption{"--json", {}, "one JSON object a line instead of text"};
constexpr OptionSpec kTraceOption{
    "--trace", {},
    "every frame sent, received or thrown away, one row each on standard\n"
    "error, as the window's communication log shows it"};
constexpr OptionSpec kStepWaitOption{
    "--step-wait", {},
    "wait for replies in the window's 2 ms polling steps: slower, but the\n"
    "line then stays quiet for at least 2 ms after every reply"};
constexpr OptionSpec kHelpOption{"--help", {}, "this text; COMMAND --help explains one command"};
constexpr OptionSpec kVersionOption{"--version", {}, "the program's version"};
constexpr std::string_view kShortHelp = "-h";

// Sets one of the options that every command shares; a refusal when its value is wrong.
std::optional<UsageError> setShared(Invocation& invocation, std::string_view name, const std::string& value)
{
    if (name == kPortOption.name) {
        if (value.empty())
            return UsageError{"--port takes COMn or a device path"};
        if (serial::namesTcpAddress(value) && !serial::parseTcpAddress(value))
            return UsageError{"--port takes a device server as tcp://HOST:PORT, e.g. tcp://192.168.1.200:4001"};
        invocation.port = value;
    } else if (name == kBaudOption.name) {
        const bool supported = isPlainNumber(value) && value.size() < 6
                               && serial::isSupportedBaudRate(std::stoi(value));
        if (!supported)
            return UsageError{"--baud takes " + serial::lineSpeedList(", ", " or ")};
        invocation.baud = std::stoi(value);
    } else if (name == kAddressOption.name) {
        auto stations = parseAddressList(value);
        if (const auto* refusal = std::get_if<std::string>(&stations))
            return UsageError{*refusal};
        invocation.stations = std::get<std::vector<std::uint8_t>>(std::move(stations));
    } else if (name == kJsonOption.name) {
        invocation.json = true;
    } else if (name == kTraceOption.name) {
        invocation.trace = true;
    } else if (name == kStepWaitOption.name) {
        invocation.waitStyle = serial::WaitStyle::PollingSteps;
    } else if (name == kHelpOption.name) {
        invocation.help = true;
    } else if (name == kVersionOption.name) {
        invocation.version = true;
    }
    return std::nullopt;
}

// The option named `argument`, shared or any command's; null when there is none.
const OptionSpec* knownOption(std::string_view argument, bool& shared)
{
    if (argument == kShortHelp)
        argument = kHelpOption.name;
    const auto named = [&](std::span<const OptionSpec> options) -> const OptionSpec* {
        const auto found = std::ranges::find(options, argument, &OptionSpec::name);
        return found == options.end() ? nullptr : &*found;
    };
    shared = true;
    if (const OptionSpec* option = named(sharedOptions()))
        return option;
    shared = false;
    for (const CommandSpec& command : commandTable()) {
        if (const OptionSpec* option = named(command.options))
            return option;
    }
    return nullptr;
}

// A negative number is an argument ("set length a -1"), not an option.
bool looksLikeOption(std::string_view argument)
{
    return argument.size() > 1 && argument[0] == '-'
           && !std::isdigit(static_cast<unsigned char>(argument[1]));
}

}  // namespace

std::span<const OptionSpec> sharedOptions()
{
    static const std::array table{kPortOption,  kBaudOption,     kAddressOption, kJsonOption,
                                  kTraceOption, kStepWaitOption, kHelpOption,    kVersionOption};
    return table;
}

std::variant<Invocation, UsageError> parseInvocation(std::span<const std::string_view> arguments,
                                                      const Environment& environment)
{
    Invocation invocation;
    for (const OptionSpec& option : sharedOptions()) {
        const std::string value =
            option.environment.empty() ? "" : environment(std::string(option.environment).c_str());
        if (value.empty())
            continue;
        if (auto refusal = setShared(invocation, option.name, value))
            return UsageError{std::string(option.environment) + ": " + refusal->text};
    }

    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (!looksLikeOption(argument)) {
            invocation.words.emplace_back(argument);
            continue;
        }
        bool shared = false;
        const OptionSpec* option = knownOption(argument, shared);
        if (!option)
            return UsageError{"unknown option " + std::string(argument)};
        std::string value;
        if (option->takesValue()) {
            if (++index == arguments.size())
                return UsageError{std::string(argument) + " takes a value"};
            value = arguments[index];
        }
        if (!shared)
            invocation.options[std::string(option->name)] = value;
        else if (auto refusal = setShared(invocation, option->name, value))
            return *refusal;
    }
    return invocation;
}

}  // namespace kt::cli
