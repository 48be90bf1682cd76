#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/bytes.h"
#include "device/channel.h"
#include "device/frames.h"

// Both channels' state codes and leak distances, read from the controller's input registers.
namespace kt::device {

// A channel's state code as the controller sends it; codes 3 to 255 have no meaning.
enum class ChannelStatus : std::uint8_t { Normal = 0, Leak = 1, Break = 2 };

// The last status code and leak distance the monitoring received for one channel.
struct ChannelState {
    std::uint8_t status = 0;         // a ChannelStatus code, or any other byte the controller sent
    std::uint16_t leakDistance = 0;  // hundredths of a metre; kUnknownLeakDistance = none
};

// The leak distance the controller sends when it knows none.
inline constexpr std::uint16_t kUnknownLeakDistance = 0xFFFF;

// The status word and both leak distances are one-word reads with 7-byte replies.
inline constexpr std::size_t kChannelReadReplyLength = readReplyLength(1);

// How long the monitoring waits for each of its replies.
inline constexpr std::uint32_t kMonitoringReplyWaitMs = 300;

Bytes statusWordRequest();
Bytes leakDistanceRequest(Channel channel);

struct ChannelCodes {
    std::uint8_t channelA;
    std::uint8_t channelB;
};

// The status word reply carries channel B's code first, then channel A's.
ChannelCodes channelCodes(std::span<const std::uint8_t> statusWordReply);

// The distance in hundredths of a metre from a leak distance reply.
std::uint16_t leakDistance(std::span<const std::uint8_t> leakDistanceReply);

// None for codes 3 to 255: the display of such a channel stays as it was.
std::optional<ChannelStatus> channelStatus(std::uint8_t code);

// "正常", "泄露" or "断线".
std::string_view channelStatusText(ChannelStatus status);

// The single poll shows every distance, kUnknownLeakDistance as 655.35.
std::string polledLeakDistanceText(std::uint16_t hundredths);

// The monitoring shows an unknown distance as an empty field.
std::string monitoredLeakDistanceText(std::uint16_t hundredths);

}  // namespace kt::device
