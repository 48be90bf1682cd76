#pragma once

#include <cstdint>
#include <string_view>

#include "device/channel.h"
#include "device/command.h"

// Starting a zero calibration of one channel's sensing cable.
namespace kt::device {

// The calibration takes the controller longer than an ordinary command.
inline constexpr std::uint32_t kZeroCalibrationReplyWaitMs = 1000;

enum class ZeroCalibrationOutcome {
    Success,       // both result bytes 0
    Failure,       // any other result
    OtherStation,  // the reply came from another address: the console says nothing
};

// Unlike other commands, this one compares the reply's address with the station it asked.
Command<ZeroCalibrationOutcome> zeroCalibration(Channel channel, std::uint8_t stationAddress);

inline constexpr std::string_view kZeroCalibrationSuccessText = "校准成功!";
inline constexpr std::string_view kZeroCalibrationFailureText = "校准失败!";

}  // namespace kt::device
