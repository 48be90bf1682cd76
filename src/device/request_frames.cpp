#include "device/request_frames.h"

#include <algorithm>

#include "device/frames.h"
#include "device/log_count.h"
#include "device/zero_calibration.h"

namespace kt::device {
namespace {

// The most words one write carries.
constexpr std::size_t kMostWrittenWords = 123;

// The checksum behind the command's bytes.
constexpr std::size_t kChecksumLength = 2;

// Does `frame` (address onward) send the request bytes of `command`?
template <typename Value>
bool sends(std::span<const std::uint8_t> frame, const Command<Value>& command)
{
    const std::span<const std::uint8_t> bytes = frame.subspan(1);
    return bytes.size() >= command.request.size()
           && std::ranges::equal(bytes.first(command.request.size()), command.request);
}

}  // namespace

std::optional<std::size_t> requestFrameLength(std::span<const std::uint8_t> header)
{
    const std::size_t words = wordAt(header, 4);
    switch (static_cast<Function>(header[1])) {
    case Function::ReadHoldingRegisters:
    case Function::ReadInputRegisters:
        return kRequestHeaderLength + kChecksumLength;
    case Function::WriteRegisters:
        if (sends(header, logClear()))  // a write without its word
            return kRequestHeaderLength + kChecksumLength;
        [[fallthrough]];
    case Function::WriteClockRegisters:
        if (words == 0 || words > kMostWrittenWords)
            return std::nullopt;
        return kRequestHeaderLength + 2 * words + kChecksumLength;
    }
    return std::nullopt;
}

std::size_t requestReplyLength(std::span<const std::uint8_t> frame)
{
    const auto function = static_cast<Function>(frame[1]);
    if (function == Function::ReadHoldingRegisters || function == Function::ReadInputRegisters)
        return readReplyLength(wordAt(frame, 4));
    return kWriteReplyLength;
}

std::uint32_t requestReplyWaitMs(std::span<const std::uint8_t> frame)
{
    for (const Channel channel : kChannels) {
        const auto calibration = zeroCalibration(channel, frame[0]);
        if (sends(frame, calibration))
            return calibration.replyWaitMs;
    }
    return kStandardReplyWaitMs;
}

}  // namespace kt::device
