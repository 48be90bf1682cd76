#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace kt::device {

// The controller's two sensing-cable channels.
enum class Channel { A, B };

// As the window lays them out.
inline constexpr std::array<Channel, 2> kChannels{Channel::A, Channel::B};

// One value per channel, indexed by the channel itself: the one place that maps a channel to
// a slot.
template <typename Value>
struct PerChannel {
    std::array<Value, 2> values{};

    Value& operator[](Channel channel) { return values[slot(channel)]; }
    const Value& operator[](Channel channel) const { return values[slot(channel)]; }

private:
    static constexpr std::size_t slot(Channel channel) { return channel == Channel::A ? 0 : 1; }
};

// "A" or "B", as the event table names a channel.
constexpr std::string_view channelName(Channel channel)
{
    return channel == Channel::A ? "A" : "B";
}

}  // namespace kt::device
