#pragma once

#include <string_view>

namespace kt::device {

// The controller's two sensing-cable channels.
enum class Channel { A, B };

// "A" or "B", as the event table names a channel.
constexpr std::string_view channelName(Channel channel)
{
    return channel == Channel::A ? "A" : "B";
}

}  // namespace kt::device
