#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/channel.h"
#include "device/command.h"

// The sensing cables' settings: each channel's length, resistivity and calibration value.
namespace kt::device {

enum class CableSetting { LengthA, LengthB, ResistivityA, ResistivityB, CalibrationA, CalibrationB };

enum class CableQuantity { Length, Resistivity, Calibration };

enum class CableValueKind {
    Length,  // two words: signed 32-bit hundredths of a metre
    Word,    // one word: unscaled 0 to 65535
};

struct CableParameter {
    CableSetting setting;
    CableQuantity quantity;
    Channel channel;
    std::uint16_t registerNumber;
    CableValueKind kind;
    std::string_view readFailureText;  // a length the controller holds no value for
    std::string_view writtenText;
    std::string_view refusedText;
    bool refusesZero = false;  // a length of 0 is taken for a missing entry
};

inline constexpr std::array<CableParameter, 6> kCableParameters{{
    {CableSetting::LengthA, CableQuantity::Length, Channel::A, 0x6001, CableValueKind::Length,
     "读取失败!", "写入成功!", "写入失败!", true},
    {CableSetting::LengthB, CableQuantity::Length, Channel::B, 0x6002, CableValueKind::Length,
     "读取失败!", "写入成功", "写入失败"},
    {CableSetting::ResistivityA, CableQuantity::Resistivity, Channel::A, 0x6004,
     CableValueKind::Word, {}, "设置感应线A电阻率成功!!!", "设置感应线A电阻率失败!!!"},
    {CableSetting::ResistivityB, CableQuantity::Resistivity, Channel::B, 0x6006,
     CableValueKind::Word, {}, "设置感应线B电阻率成功!!!", "设置感应线B电阻率失败!!!"},
    {CableSetting::CalibrationA, CableQuantity::Calibration, Channel::A, 0x6008,
     CableValueKind::Word, {}, "设置感应线A校正值成功!!!", "设置感应线A校正值失败!!!"},
    {CableSetting::CalibrationB, CableQuantity::Calibration, Channel::B, 0x6009,
     CableValueKind::Word, {}, "设置感应线B校正值成功!!!", "设置感应线B校正值失败!!!"},
}};

const CableParameter& cableParameter(CableSetting setting);

// A value is hundredths of a metre for a length and 0 to 65535 for a word. A read has none
// when the controller holds no length (its four value bytes are all 0xFF).
Command<std::optional<std::int32_t>> cableRead(CableSetting setting);
Command<bool> cableWrite(CableSetting setting, std::int32_t value);

// The value as its field shows it: a length in metres with two decimals, a word in decimal.
std::string cableValueText(CableSetting setting, std::int32_t value);

inline constexpr std::string_view kLengthRangeText = "长度超出范围，请重新输入!!!";
inline constexpr std::string_view kMissingLengthText = "请输入感应线长度!";

// A typed value, or the message that refuses it. Exactly one is set.
struct CableEntry {
    std::optional<std::int32_t> value = std::nullopt;
    std::string_view refusal = {};
};

// A length is read like atof and truncated toward zero to hundredths (12.5 gives 1250, 1.15
// gives 114), refused when not finite or beyond 32 bits; a word is refused outside 0 to 65535.
CableEntry parseCableEntry(CableSetting setting, std::string_view text);

}  // namespace kt::device
