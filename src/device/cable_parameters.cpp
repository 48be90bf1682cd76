#include "device/cable_parameters.h"

#include <array>
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

}  // namespace

CableRegister cableRegister(CableSetting setting)
{
    switch (setting) {
    case CableSetting::LengthA: return {0x6001, CableValueKind::Length};
    case CableSetting::LengthB: return {0x6002, CableValueKind::Length};
    case CableSetting::ResistivityA: return {0x6004, CableValueKind::Word};
    case CableSetting::ResistivityB: return {0x6006, CableValueKind::Word};
    case CableSetting::CalibrationA: return {0x6008, CableValueKind::Word};
    case CableSetting::CalibrationB: return {0x6009, CableValueKind::Word};
    }
    return {0, CableValueKind::Word};
}

Bytes cableReadRequest(CableSetting setting)
{
    const CableRegister reg = cableRegister(setting);
    return readRequest(Function::ReadHoldingRegisters, reg.number, wordCount(reg.kind));
}

std::size_t cableReadReplyLength(CableSetting setting)
{
    return readReplyLength(wordCount(cableRegister(setting).kind));
}

std::optional<std::string> cableValueText(CableSetting setting, std::span<const std::uint8_t> reply)
{
    if (cableRegister(setting).kind == CableValueKind::Word)
        return std::to_string(wordAt(reply, kReplyDataOffset));

    const std::uint32_t raw = (std::uint32_t{wordAt(reply, kReplyDataOffset)} << 16)
        | wordAt(reply, kReplyDataOffset + 2);
    if (raw == 0xFFFFFFFFU)
        return std::nullopt;
    return formatHundredths(static_cast<std::int32_t>(raw));
}

std::optional<std::int32_t> parseLengthEntry(std::string_view text)
{
    const double hundredths = std::trunc(parseDecimal(text) * 100.0);
    // The bounds are exact in double precision, so the comparison decides the conversion.
    if (!(hundredths >= -2147483648.0 && hundredths <= 2147483647.0))
        return std::nullopt;
    return static_cast<std::int32_t>(hundredths);
}

Bytes cableLengthWriteRequest(CableSetting setting, std::int32_t hundredths)
{
    const auto raw = static_cast<std::uint32_t>(hundredths);
    const std::array<std::uint16_t, 2> words{static_cast<std::uint16_t>(raw >> 16),
                                             static_cast<std::uint16_t>(raw & 0xFFFF)};
    return writeRequest(cableRegister(setting).number, words);
}

Bytes cableWordWriteRequest(CableSetting setting, std::uint16_t value)
{
    const std::array<std::uint16_t, 1> words{value};
    return writeRequest(cableRegister(setting).number, words);
}

}  // namespace kt::device
