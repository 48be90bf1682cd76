#include "sim/simulator_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <vector>

#include "sim/controller_simulator.h"

namespace kt::sim {
namespace {

template <typename Number>
Outcome parseNumber(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return Outcome::failure("not a number: " + std::string(text));
    return Outcome::success();
}

template <typename Number>
Outcome parseInRange(std::string_view text, Number& value, Number lowest, Number highest)
{
    Outcome outcome = parseNumber(text, value);
    if (outcome && (value < lowest || value > highest))
        return Outcome::failure("out of range: " + std::string(text));
    return outcome;
}

using Setter = std::function<Outcome(SimulatorOptions&, std::string_view value)>;

struct Option {
    std::string_view name;
    std::string_view valueName;  // empty for a flag
    std::string_view help;
    Setter apply;
};

Setter flag(bool SimulatorOptions::*field)
{
    return [field](SimulatorOptions& options, std::string_view) {
        options.*field = true;
        return Outcome::success();
    };
}

Setter path(std::string SimulatorOptions::*field)
{
    return [field](SimulatorOptions& options, std::string_view value) {
        options.*field = value;
        return Outcome::success();
    };
}

Setter metres(std::optional<double> SimulatorOptions::*field)
{
    return [field](SimulatorOptions& options, std::string_view value) {
        double parsed = 0;
        Outcome outcome = parseInRange(value, parsed, 0.0, 655.35);
        options.*field = parsed;
        return outcome;
    };
}

const std::vector<Option>& optionTable()
{
    static const std::vector<Option> table{
        {"--link", "PATH", "also reach the device through a symlink at PATH (removed on exit)",
         path(&SimulatorOptions::linkPath)},
        {"--record", "FILE", "on exit, write every frame received to FILE, one a line in hex",
         path(&SimulatorOptions::recordPath)},
        {"--address", "N", "station address, 0 to 255 (default 1)",
         [](SimulatorOptions& options, std::string_view value) {
             return parseInRange<std::uint8_t>(value, options.address, 0, 255);
         }},
        {"--every-address", "", "answer requests to any address", flag(&SimulatorOptions::everyAddress)},
        {"--log-records", "N", "fill the event log with N sample records, 0 to 40",
         [](SimulatorOptions& options, std::string_view value) {
             return parseInRange(value, options.logRecords, 0, 40);
         }},
        {"--leak-a", "METRES", "channel A reports a leak at METRES", metres(&SimulatorOptions::leakMetresA)},
        {"--leak-b", "METRES", "channel B reports a leak at METRES", metres(&SimulatorOptions::leakMetresB)},
        {"--break-a", "", "channel A reports a broken cable", flag(&SimulatorOptions::breakA)},
        {"--break-b", "", "channel B reports a broken cable", flag(&SimulatorOptions::breakB)},
        {"--demo", "", "channel states change every few status reads, and alarms are logged",
         flag(&SimulatorOptions::demo)},
        {"--reply-delay", "MS", "wait MS milliseconds before each reply",
         [](SimulatorOptions& options, std::string_view value) {
             int delay = 0;
             Outcome outcome = parseInRange(value, delay, 0, 60'000);
             options.replyDelay = std::chrono::milliseconds{delay};
             return outcome;
         }},
        {"--pace", "BAUD", "requests and replies at the wire speed of BAUD",
         [](SimulatorOptions& options, std::string_view value) {
             int baud = 0;
             Outcome outcome = parseInRange(value, baud, 50, 4'000'000);
             options.paceBaud = baud;
             return outcome;
         }},
        {"--help", "", "show this text", flag(&SimulatorOptions::help)},
    };
    return table;
}

std::uint16_t hundredths(double metres)
{
    return static_cast<std::uint16_t>(std::lround(metres * 100));
}

// Leaks and breaks on alternating channels, an hour apart.
std::vector<LogRecord> sampleLogRecords(int count)
{
    std::vector<LogRecord> records;
    for (int index = 0; index < count; ++index) {
        const ClockTime time{2024, 1 + index % 12, 1 + index % 28, index % 24, (7 * index) % 60, 0};
        const auto code = static_cast<std::uint8_t>(1 + index % 2);
        const bool onChannelA = index % 4 < 2;
        records.push_back(makeLogRecord(time, onChannelA ? 0 : code, onChannelA ? code : 0,
                                        static_cast<std::uint16_t>(code == 1 ? 1234 + 100 * index : 0)));
    }
    return records;
}

std::vector<ScenarioStep> demoSteps()
{
    constexpr int kReadsPerStep = 6;
    return {
        {.statusReads = kReadsPerStep},
        {.codeA = 1, .distanceA = 2560, .statusReads = kReadsPerStep},
        {.codeB = 2, .codeA = 1, .distanceA = 2560, .statusReads = kReadsPerStep},
        {.codeB = 1, .distanceB = 10375, .statusReads = kReadsPerStep},
        {.codeB = 1, .codeA = 1, .distanceB = 10375, .distanceA = 4210, .statusReads = kReadsPerStep},
    };
}

std::uint8_t channelCode(const std::optional<double>& leakMetres, bool broken)
{
    return leakMetres ? 1 : broken ? 2 : 0;
}

}  // namespace

Outcome parseOptions(std::span<const std::string_view> arguments, SimulatorOptions& options)
{
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const auto& table = optionTable();
        const auto option = std::find_if(table.begin(), table.end(),
                                         [&](const Option& known) { return known.name == arguments[index]; });
        if (option == table.end())
            return Outcome::failure("unknown option: " + std::string(arguments[index]));
        std::string_view value;
        if (!option->valueName.empty()) {
            if (++index == arguments.size())
                return Outcome::failure(std::string(option->name) + " needs " + std::string(option->valueName));
            value = arguments[index];
        }
        if (Outcome applied = option->apply(options, value); !applied)
            return Outcome::failure(std::string(option->name) + ": " + applied.error);
    }
    return Outcome::success();
}

std::string usageText()
{
    std::string text = "usage: kt5270-sim [options]\n"
                       "Simulates a two-channel leak detection controller on a pseudo-terminal and prints\n"
                       "the device to open; runs until SIGINT or SIGTERM.\n";
    for (const Option& option : optionTable()) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty())
            left += " " + std::string(option.valueName);
        left.resize(std::max<std::size_t>(left.size() + 1, 24), ' ');
        text += left + std::string(option.help) + "\n";
    }
    return text;
}

void applyOptions(const SimulatorOptions& options, ControllerSimulator& simulator)
{
    simulator.setReplyDelay(options.replyDelay);
    simulator.setBytePacing(options.paceBaud);
    simulator.withDevice([&options](ControllerDevice& device) {
        device.setAddress(options.address);
        device.setAddressFilter(options.everyAddress ? AddressFilter::EveryAddress : AddressFilter::OwnAddress);
        device.log().setRecords(sampleLogRecords(options.logRecords));
        device.setStatusCodes(channelCode(options.leakMetresB, options.breakB),
                              channelCode(options.leakMetresA, options.breakA));
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::A, hundredths(options.leakMetresA.value_or(0)));
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, hundredths(options.leakMetresB.value_or(0)));
        if (options.demo)
            device.scenario().play(demoSteps(), ScenarioEnd::Loop);
    });
}

}  // namespace kt::sim
