#include "cli/channel_argument.h"

#include <cctype>

namespace kt::cli {

std::optional<device::Channel> parseChannel(std::string_view text)
{
    for (const device::Channel channel : device::kChannels) {
        const std::string_view name = device::channelName(channel);
        if (text.size() == 1 && std::toupper(static_cast<unsigned char>(text[0])) == name[0])
            return channel;
    }
    return std::nullopt;
}

}  // namespace kt::cli
