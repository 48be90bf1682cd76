// set-baud and set-address: the controller's own line speed and bus address. The tool's
// --baud and --address stay as they are; the next invocation gives the new ones.
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/plain_number.h"
#include "cli/write_action.h"
#include "device/bus_settings.h"
#include "device/text_entry.h"
#include "serial/line_speeds.h"

namespace kt::cli {
namespace {

// A write of one number, read by the parser the window reads its field with.
template <typename Value>
Prepared prepareBusWrite(const Invocation& invocation,
                         std::optional<Value> (*parse)(std::string_view),
                         std::string_view rangeText, device::Command<bool> (*command)(Value),
                         std::string_view writtenText, std::string_view refusedText)
{
    const std::string& name = invocation.words.front();
    if (invocation.words.size() != 2 || !isPlainNumber(invocation.words[1]))
        return UsageError{name + " takes one number"};
    const std::optional<Value> value = parse(invocation.words[1]);
    if (!value)
        return UsageError{std::string(rangeText)};
    return writeAction(command(*value), writtenText, refusedText);
}

// Only a speed the console can open its port at: a controller set to any other is lost to it.
std::optional<std::uint16_t> parseLineSpeed(std::string_view text)
{
    const std::optional<std::uint16_t> rate = device::parseWordEntry(text);
    return rate && serial::isSupportedBaudRate(*rate) ? rate : std::nullopt;
}

const std::string kLineSpeedRangeText = "set-baud takes " + serial::lineSpeedList(", ", " or ");

Prepared prepareSetBaud(const Invocation& invocation)
{
    return prepareBusWrite(invocation, parseLineSpeed, kLineSpeedRangeText,
                           device::deviceBaudRateWrite, device::kBaudRateSetText,
                           device::kBaudRateRefusedText);
}

Prepared prepareSetAddress(const Invocation& invocation)
{
    return prepareBusWrite(invocation, device::parseStationAddress, device::kAddressRangeText,
                           device::deviceAddressWrite, device::kAddressSetText,
                           device::kAddressRefusedText);
}

}  // namespace

const CommandEntry kSetBaudCommand{{
    .name = "set-baud",
    .helpPosition = 70,
    .synopsis = "set-baud RATE",
    .help = "Sets the controller's line speed to one the console talks at, as --baud takes.\n"
            "Talk to it at the new speed afterwards with --baud.",
    .example = "kt5270 set-baud 19200",
    .prepare = prepareSetBaud,
}};

const CommandEntry kSetAddressCommand{{
    .name = "set-address",
    .helpPosition = 80,
    .synopsis = "set-address N",
    .help = "Sets the controller's station address (0 to 255). Talk to it at the new address\n"
            "afterwards with --address.",
    .example = "kt5270 --address 1 set-address 7",
    .prepare = prepareSetAddress,
}};

}  // namespace kt::cli
