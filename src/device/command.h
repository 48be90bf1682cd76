#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "device/bytes.h"

namespace kt::device {

// How long a command waits for its reply unless its description says otherwise.
inline constexpr std::uint32_t kStandardReplyWaitMs = 500;

// One request to the controller and the meaning of its reply: everything needed to run it
// except the station address in front and the checksum behind, which the frame adds.
template <typename Value>
struct Command {
    Bytes request;                // function code onward
    std::size_t replyLength = 0;  // the whole reply, address and checksum included
    std::uint32_t replyWaitMs = kStandardReplyWaitMs;
    // The value of a reply of full length whose checksum passed.
    std::function<Value(std::span<const std::uint8_t> reply)> decode;
};

}  // namespace kt::device
