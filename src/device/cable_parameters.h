#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/bytes.h"

// The sensing cables' settings: each channel's length, resistivity and calibration value.
namespace kt::device {

enum class CableSetting { LengthA, LengthB, ResistivityA, ResistivityB, CalibrationA, CalibrationB };

enum class CableValueKind {
    Length,  // two words: signed 32-bit hundredths of a metre
    Word,    // one word: unscaled 0 to 65535
};

struct CableRegister {
    std::uint16_t number;
    CableValueKind kind;
};

CableRegister cableRegister(CableSetting setting);

Bytes cableReadRequest(CableSetting setting);
std::size_t cableReadReplyLength(CableSetting setting);

// The field text for an accepted read reply; none when the controller has no value (a
// length whose four value bytes are all 0xFF).
std::optional<std::string> cableValueText(CableSetting setting, std::span<const std::uint8_t> reply);

// A typed length in hundredths of a metre, truncated toward zero (12.5 gives 1250, 1.15 gives
// 114); none when it is not finite or does not fit a signed 32-bit number.
std::optional<std::int32_t> parseLengthEntry(std::string_view text);

// Write requests; `value` is hundredths for a length and 0 to 65535 for a word.
Bytes cableLengthWriteRequest(CableSetting setting, std::int32_t hundredths);
Bytes cableWordWriteRequest(CableSetting setting, std::uint16_t value);

}  // namespace kt::device
