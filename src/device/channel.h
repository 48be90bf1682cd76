#pragma once

#include <array>
#include <string_view>

namespace kt::device {

// The controller's two sensing-cable channels.
enum class Channel { A, B };

// As the window lays them out.
inline constexpr std::array<Channel, 2> kChannels{Channel::A, Channel::B};

// "A" or "B", as the event table names a channel.
constexpr std::string_view channelName(Channel channel)
{
    return channel == Channel::A ? "A" : "B";
}

}  // namespace kt::device
