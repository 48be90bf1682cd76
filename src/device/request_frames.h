#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Request frames as another master puts them on the bus, whole: station address, the
// command's bytes, checksum. What the bus needs to pass one on: its length, its reply's length
// and its reply wait.
namespace kt::device {

// Address, function code, register, word count: enough to tell a request's length.
inline constexpr std::size_t kRequestHeaderLength = 6;

// The length of the whole request frame that begins with `header` (at least
// kRequestHeaderLength bytes), or none when no command of this dialect begins so.
std::optional<std::size_t> requestFrameLength(std::span<const std::uint8_t> header);

// The length of the controller's reply to `frame` (a whole request): a read's words, or a
// write's status.
std::size_t requestReplyLength(std::span<const std::uint8_t> frame);

// How long the controller may take to answer `frame`: the longest wait of the commands that
// send its function and register.
std::uint32_t requestReplyWaitMs(std::span<const std::uint8_t> frame);

}  // namespace kt::device
