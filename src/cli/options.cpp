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

struct OptionName {
    std::string_view name;
    bool takesValue;
};

// Every option any command knows; which command takes which is the command's to say.
constexpr std::array<OptionName, 24> kOptionNames{{
    {"--port", true},  {"--baud", true},  {"--address", true}, {"--json", false},
    {"--help", false}, {"-h", false},     {"--watch", false},  {"--period", true},
    {"--count", true}, {"--set", true},   {"--sync", false},   {"--format", true},
    {"--output", true}, {"--version", false}, {"--step-wait", false},
    {"--bus", true},  {"--mqtt", true},    {"--mqtt-user", true},
    {"--mqtt-password-file", true},       {"--mqtt-ca", true}, {"--topic-prefix", true},
    {"--discovery-prefix", true},         {"--metrics", true}, {"--listen", true},
}};

// "--baud takes 2400, 4800, 9600, 19200 or 38400".
std::string lineSpeedsText()
{
    std::string text = "--baud takes ";
    for (std::size_t index = 0; index < serial::kLineSpeeds.size(); ++index) {
        const bool last = index + 1 == serial::kLineSpeeds.size();
        text += (index == 0 ? "" : last ? " or " : ", ") + std::to_string(serial::kLineSpeeds[index]);
    }
    return text;
}

// Sets one of the options that every command shares; a refusal when its value is wrong.
std::optional<UsageError> setGlobal(Invocation& invocation, std::string_view name, const std::string& value)
{
    if (name == "--port") {
        if (value.empty())
            return UsageError{"--port takes COMn or a device path"};
        if (serial::namesTcpAddress(value) && !serial::parseTcpAddress(value))
            return UsageError{"--port takes a device server as tcp://HOST:PORT, e.g. tcp://192.168.1.200:4001"};
        invocation.port = value;
    } else if (name == "--baud") {
        const bool supported = isPlainNumber(value) && value.size() < 6
                               && serial::isSupportedBaudRate(std::stoi(value));
        if (!supported)
            return UsageError{lineSpeedsText()};
        invocation.baud = std::stoi(value);
    } else if (name == "--address") {
        auto stations = parseAddressList(value);
        if (const auto* refusal = std::get_if<std::string>(&stations))
            return UsageError{*refusal};
        invocation.stations = std::get<std::vector<std::uint8_t>>(std::move(stations));
    }
    return std::nullopt;
}

bool isGlobal(std::string_view name)
{
    return name == "--port" || name == "--baud" || name == "--address";
}

// A negative number is an argument ("set length a -1"), not an option.
bool looksLikeOption(std::string_view argument)
{
    return argument.size() > 1 && argument[0] == '-'
           && !std::isdigit(static_cast<unsigned char>(argument[1]));
}

}  // namespace

std::variant<Invocation, UsageError> parseInvocation(std::span<const std::string_view> arguments,
                                                      const Environment& environment)
{
    Invocation invocation;
    for (const auto& [variable, option] : {std::pair{"KT5270_PORT", "--port"},
                                           std::pair{"KT5270_BAUD", "--baud"},
                                           std::pair{"KT5270_ADDRESS", "--address"}}) {
        const std::string value = environment(variable);
        if (value.empty())
            continue;
        if (auto refusal = setGlobal(invocation, option, value))
            return UsageError{std::string(variable) + ": " + refusal->text};
    }

    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (!looksLikeOption(argument)) {
            invocation.words.emplace_back(argument);
            continue;
        }
        const auto known = std::ranges::find(kOptionNames, argument, &OptionName::name);
        if (known == kOptionNames.end())
            return UsageError{"unknown option " + std::string(argument)};
        std::string value;
        if (known->takesValue) {
            if (++index == arguments.size())
                return UsageError{std::string(argument) + " takes a value"};
            value = arguments[index];
        }
        if (argument == "--json")
            invocation.json = true;
        else if (argument == "--help" || argument == "-h")
            invocation.help = true;
        else if (argument == "--step-wait")
            invocation.waitStyle = serial::WaitStyle::PollingSteps;
        else if (argument == "--version")
            invocation.version = true;
        else if (isGlobal(argument)) {
            if (auto refusal = setGlobal(invocation, argument, value))
                return *refusal;
        } else
            invocation.options[std::string(argument)] = value;
    }
    return invocation;
}

}  // namespace kt::cli
