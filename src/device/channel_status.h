#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/channel.h"
#include "device/command.h"

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

// How long the monitoring waits for each of its replies.
inline constexpr std::uint32_t kMonitoringReplyWaitMs = 300;

// Each channel's state code, as the status word carries them.
using ChannelCodes = PerChannel<std::uint8_t>;

// The status word carries channel B's code first, then channel A's; polls take the
// channels in that order.
inline constexpr std::array<Channel, 2> kPollOrder{Channel::B, Channel::A};

Command<ChannelCodes> statusWordRead();

// The distance in hundredths of a metre.
Command<std::uint16_t> leakDistanceRead(Channel channel);

// None for codes 3 to 255: the display of such a channel stays as it was.
std::optional<ChannelStatus> channelStatus(std::uint8_t code);

// "正常", "泄露" or "断线".
std::string_view channelStatusText(ChannelStatus status);

// The single poll shows every distance, kUnknownLeakDistance as 655.35.
std::string polledLeakDistanceText(std::uint16_t hundredths);

// The monitoring shows an unknown distance as an empty field.
std::string monitoredLeakDistanceText(std::uint16_t hundredths);

}  // namespace kt::device
