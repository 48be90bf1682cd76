// get and set: a channel's cable length, resistivity or calibration value.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "cli/channel_argument.h"
#include "cli/command.h"
#include "cli/plain_number.h"
#include "cli/report.h"
#include "cli/write_action.h"
#include "device/cable_parameters.h"

namespace kt::cli {
namespace {

using device::CableParameter;
using device::CableQuantity;

struct QuantityName {
    std::string_view name;
    CableQuantity quantity;
};

constexpr std::array<QuantityName, 3> kQuantityNames{{
    {"length", CableQuantity::Length},
    {"resistivity", CableQuantity::Resistivity},
    {"calibration", CableQuantity::Calibration},
}};

// The setting that words[1] and words[2] name, e.g. "length a".
const CableParameter* namedParameter(const std::vector<std::string>& words)
{
    const auto named = std::ranges::find(kQuantityNames, words[1], &QuantityName::name);
    const auto channel = parseChannel(words[2]);
    if (named == kQuantityNames.end() || !channel)
        return nullptr;
    return &*std::ranges::find_if(device::kCableParameters, [&](const CableParameter& parameter) {
        return parameter.quantity == named->quantity && parameter.channel == *channel;
    });
}

Json settingJson(const Session& session, const CableParameter& parameter)
{
    const auto named = std::ranges::find(kQuantityNames, parameter.quantity, &QuantityName::quantity);
    return {{"station", session.station()},
            {"setting", named->name},
            {"channel", device::channelName(parameter.channel)}};
}

Prepared prepareGet(const Invocation& invocation)
{
    const CableParameter* parameter =
        invocation.words.size() == 3 ? namedParameter(invocation.words) : nullptr;
    if (!parameter)
        return UsageError{"get takes length|resistivity|calibration and a|b"};
    return [parameter](Session& session) {
        const auto value = session.link.run(session.station(), device::cableRead(parameter->setting));
        if (!value)
            return failReply(value.failure());
        if (!*value)
            return fail(ExitCode::NoAnswer, parameter->readFailureText);
        const std::string text = device::cableValueText(parameter->setting, **value);
        Json json = settingJson(session, *parameter);
        json["value"] = jsonNumber(text);
        printResult(session.invocation, text, json);
        return ExitCode::Success;
    };
}

Prepared prepareSet(const Invocation& invocation)
{
    const CableParameter* parameter =
        invocation.words.size() == 4 ? namedParameter(invocation.words) : nullptr;
    if (!parameter)
        return UsageError{"set takes length|resistivity|calibration, a|b and a value"};
    const std::string& text = invocation.words[3];
    const bool fraction = parameter->kind == device::CableValueKind::Length;
    if (!isPlainNumber(text, fraction))
        return UsageError{"not a number: \"" + text + "\""};
    const device::CableEntry entry = device::parseCableEntry(parameter->setting, text);
    if (!entry.value)
        return UsageError{std::string(entry.refusal)};
    return writeAction(device::cableWrite(parameter->setting, *entry.value), parameter->writtenText,
                       parameter->refusedText);
}

}  // namespace

const CommandEntry kGetCommand{{
    .name = "get",
    .helpPosition = 20,
    .synopsis = "get length|resistivity|calibration a|b",
    .help = "Reads one channel's cable length (metres, two decimals), resistivity or\n"
            "calibration value.",
    .example = "kt5270 --address 3 get length a",
    .prepare = prepareGet,
}};

const CommandEntry kSetCommand{{
    .name = "set",
    .helpPosition = 30,
    .synopsis = "set length|resistivity|calibration a|b VALUE",
    .help = "Writes one channel's cable length in metres (to hundredths, within 32 bits),\n"
            "or its resistivity or calibration value (0 to 65535).",
    .example = "kt5270 set length b 125.5",
    .prepare = prepareSet,
}};

}  // namespace kt::cli
