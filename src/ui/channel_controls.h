#pragma once

#include <array>

#include "device/channel.h"
#include "ui/control_ids.h"

namespace kt::ui {

// The controls that show one channel's state.
struct ChannelControls {
    device::Channel channel;
    const char* title;
    int lamp;
    int stateText;
    int leakField;
};

inline constexpr std::array<ChannelControls, 2> kChannelControls{{
    {device::Channel::A, "通道A：", ChannelALamp, ChannelAStateText, ChannelALeakField},
    {device::Channel::B, "通道B：", ChannelBLamp, ChannelBStateText, ChannelBLeakField},
}};

constexpr const ChannelControls& channelControls(device::Channel channel)
{
    return kChannelControls[channel == device::Channel::A ? 0 : 1];
}

}  // namespace kt::ui
