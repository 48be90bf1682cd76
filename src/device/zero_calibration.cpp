#include "device/zero_calibration.h"

#include "device/frames.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kZeroCalibrationARegister = 0x4008;
constexpr std::uint16_t kZeroCalibrationBRegister = 0x4009;

}  // namespace

Command<ZeroCalibrationOutcome> zeroCalibration(Channel channel, std::uint8_t stationAddress)
{
    const std::uint16_t reg =
        channel == Channel::A ? kZeroCalibrationARegister : kZeroCalibrationBRegister;
    return {.request = readRequest(Function::ReadInputRegisters, reg, 1),
            .replyLength = readReplyLength(1),
            .replyWaitMs = kZeroCalibrationReplyWaitMs,
            // Started at once: the calibration is the one command that drains nothing.
            .staleInput = StaleInput::Keep,
            .decode = [stationAddress](std::span<const std::uint8_t> reply) {
                if (reply[0] != stationAddress)
                    return ZeroCalibrationOutcome::OtherStation;
                // The result bytes sit where a write reply has its status bytes, and mean
                // the same.
                return isWriteAccepted(reply) ? ZeroCalibrationOutcome::Success
                                              : ZeroCalibrationOutcome::Failure;
            }};
}

}  // namespace kt::device
