#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/bytes.h"
#include "device/frames.h"

// The number of events in the controller's log, and clearing the log. Both use register 0x4010.
namespace kt::device {

Bytes logCountRequest();
inline constexpr std::size_t kLogCountReplyLength = readReplyLength(1);

// Unsigned: 0 to 65535.
std::uint16_t logCount(std::span<const std::uint8_t> reply);

// A one-word write that carries no data word; judged with isWriteAccepted.
Bytes logClearRequest();
inline constexpr std::size_t kLogClearReplyLength = kWriteReplyLength;

}  // namespace kt::device
