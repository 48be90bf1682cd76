#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "serial/serial_port.h"

namespace kt::serial {

// Largest number of bytes one drain or one reply may take.
inline constexpr std::size_t kReceiveBufferSize = 500;

// Standard wait for a reply, and the drain's wait for stale input.
inline constexpr std::uint32_t kReplyWaitMs = 500;
inline constexpr std::uint32_t kDrainWaitMs = 50;

// A request frame: station address, the command's bytes, then the checksum high byte first.
std::vector<std::uint8_t> frameRequest(std::uint8_t stationAddress,
                                       std::span<const std::uint8_t> commandBytes);

// Reads and throws away whatever input arrives within the drain wait (up to 500 bytes;
// anything beyond stays queued). Returns the number of bytes discarded.
std::size_t drainInput(SerialPort& port);

// Reads and throws away what is already queued, without waiting.
std::size_t discardQueuedInput(SerialPort& port);

enum class ReplyStatus {
    Accepted,     // right length, checksum passes
    ShortReply,   // fewer bytes than expected arrived
    BadChecksum,  // right length, checksum fails
};

struct Reply {
    ReplyStatus status = ReplyStatus::ShortReply;
    std::vector<std::uint8_t> bytes;  // what was read, at most the expected length
};

// Reads a reply of `replyLength` bytes (as many as arrive within the port's read time limits)
// and judges its length and checksum.
Reply receiveReply(SerialPort& port, std::size_t replyLength);

// One request/reply turn: writes `frame`, waits up to `waitMs` for `replyLength` bytes,
// reads them and judges length and checksum. The reply's address and function code are
// not compared with the request.
Reply transact(SerialPort& port, std::span<const std::uint8_t> frame, std::size_t replyLength,
               std::uint32_t waitMs = kReplyWaitMs);

}  // namespace kt::serial
