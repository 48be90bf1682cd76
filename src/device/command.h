#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "device/bytes.h"

namespace kt::device {

// How long a command waits for its reply unless its description says otherwise.
inline constexpr std::uint32_t kStandardReplyWaitMs = 500;

// What happens to input already waiting when a command starts.
enum class StaleInput {
    Drain,    // wait the drain time for it, and throw it away
    Discard,  // throw away what is queued, without waiting
    Keep,     // leave it: what runs the command has dealt with it, or the command never drains
};

// One request to the controller and the meaning of its reply: everything needed to run it
// except the station address in front and the checksum behind, which the frame adds.
template <typename Value>
struct Command {
    Bytes request;                // function code onward
    std::size_t replyLength = 0;  // the whole reply, address and checksum included
    std::uint32_t replyWaitMs = kStandardReplyWaitMs;
    StaleInput staleInput = StaleInput::Drain;
    // The value of a reply of full length whose checksum passed.
    std::function<Value(std::span<const std::uint8_t> reply)> decode;
};

}  // namespace kt::device
