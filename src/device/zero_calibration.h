#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/bytes.h"
#include "device/channel.h"
#include "device/frames.h"

// Starting a zero calibration of one channel's sensing cable.
namespace kt::device {

Bytes zeroCalibrationRequest(Channel channel);

inline constexpr std::size_t kZeroCalibrationReplyLength = readReplyLength(1);

// The calibration takes the controller longer than an ordinary command.
inline constexpr std::uint32_t kZeroCalibrationReplyWaitMs = 1000;

enum class ZeroCalibrationOutcome {
    Success,       // both result bytes 0
    Failure,       // any other result
    OtherStation,  // the reply came from another address: the console says nothing
};

// For a reply of full length whose checksum passed. Unlike other commands, this one compares
// the reply's address with the station it asked.
ZeroCalibrationOutcome zeroCalibrationOutcome(std::span<const std::uint8_t> reply,
                                              std::uint8_t stationAddress);

}  // namespace kt::device
