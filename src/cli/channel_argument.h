#pragma once

#include <optional>
#include <string_view>

#include "device/channel.h"

namespace kt::cli {

// "a" or "b" (either case) as a channel.
std::optional<device::Channel> parseChannel(std::string_view text);

}  // namespace kt::cli
