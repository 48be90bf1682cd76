#include "device/cable_parameters.h"

#include <algorithm>
#include <cmath>

#include "device/frames.h"
#include "device/text_entry.h"
#include "device/value_format.h"

namespace kt::device {
namespace {

constexpr std::uint16_t wordCount(CableValueKind kind)
{
    return kind == CableValueKind::Length ? 2 : 1;
}

std::optional<std::int32_t> parseLength(std::string_view text)
{
    const double hundredths = std::trunc(parseDecimal(text) * 100.0);
    // The bounds are exact in double precision, so the comparison decides the conversion.
    if (!(hundredths >= -2147483648.0 && hundredths <= 2147483647.0))
        return std::nullopt;
    return static_cast<std::int32_t>(hundredths);
}

}  // namespace

const CableParameter& cableParameter(CableSetting setting)
{
    return *std::ranges::find(kCableParameters, setting, &CableParameter::setting);
}

Command<std::optional<std::int32_t>> cableRead(CableSetting setting)
{
    const CableParameter& parameter = cableParameter(setting);
    const CableValueKind kind = parameter.kind;
    return {.request = readRequest(Function::ReadHoldingRegisters, parameter.registerNumber,
                                   wordCount(kind)),
            .replyLength = readReplyLength(wordCount(kind)),
            .decode = [kind](std::span<const std::uint8_t> reply) -> std::optional<std::int32_t> {
                if (kind == CableValueKind::Word)
                    return wordAt(reply, kReplyDataOffset);
                const std::uint32_t raw = (std::uint32_t{wordAt(reply, kReplyDataOffset)} << 16)
                    | wordAt(reply, kReplyDataOffset + 2);
                if (raw == 0xFFFFFFFFU)
                    return std::nullopt;
                return static_cast<std::int32_t>(raw);
            }};
}

Command<bool> cableWrite(CableSetting setting, std::int32_t value)
{
    const CableParameter& parameter = cableParameter(setting);
    const auto raw = static_cast<std::uint32_t>(value);
    if (parameter.kind == CableValueKind::Word) {
        const std::array<std::uint16_t, 1> words{static_cast<std::uint16_t>(raw)};
        return writeCommand(writeRequest(parameter.registerNumber, words));
    }
    const std::array<std::uint16_t, 2> words{static_cast<std::uint16_t>(raw >> 16),
                                             static_cast<std::uint16_t>(raw & 0xFFFF)};
    return writeCommand(writeRequest(parameter.registerNumber, words));
}

std::string cableValueText(CableSetting setting, std::int32_t value)
{
    if (cableParameter(setting).kind == CableValueKind::Word)
        return std::to_string(value);
    return formatHundredths(value);
}

CableEntry parseCableEntry(CableSetting setting, std::string_view text)
{
    const CableParameter& parameter = cableParameter(setting);
    if (parameter.kind == CableValueKind::Word) {
        if (const auto word = parseWordEntry(text))
            return {.value = *word};
        return {.refusal = kWordRangeText};
    }
    const auto hundredths = parseLength(text);
    if (!hundredths)
        return {.refusal = kLengthRangeText};
    if (parameter.refusesZero && *hundredths == 0)
        return {.refusal = kMissingLengthText};
    return {.value = *hundredths};
}

}  // namespace kt::device
