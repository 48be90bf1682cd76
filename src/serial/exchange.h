#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "serial/serial_port.h"

namespace kt::serial {

// Largest number of bytes one drain or one reply may take.
inline constexpr std::size_t kReceiveBufferSize = 500;

// How long the drain waits for stale input.
inline constexpr std::uint32_t kDrainWaitMs = 50;

// A request frame: station address, the command's bytes, then the checksum high byte first.
std::vector<std::uint8_t> frameRequest(std::uint8_t stationAddress,
                                       std::span<const std::uint8_t> commandBytes);

enum class ReplyStatus {
    Accepted,     // right length, checksum passes
    ShortReply,   // fewer bytes than expected arrived
    BadChecksum,  // right length, checksum fails
};

struct Reply {
    ReplyStatus status = ReplyStatus::ShortReply;
    std::vector<std::uint8_t> bytes;  // what was read, at most the expected length
};

// Sees every byte the functions below move, for a traffic view. It is called on the thread
// that runs the exchange, so it must be quick and must never wait for another thread.
class TrafficObserver {
public:
    virtual ~TrafficObserver() = default;
    virtual void sent(std::span<const std::uint8_t> frame) = 0;
    // A reply as it was read and judged; `expectedLength` is what the exchange asked for.
    virtual void received(const Reply& reply, std::size_t expectedLength) = 0;
    // Stale input read and thrown away before a request.
    virtual void discarded(std::span<const std::uint8_t> staleBytes) = 0;
    // The far end closed the connection (a device server's): told once, before the read it ended.
    virtual void peerClosed() {}
};

// Each of these tells `observer`, when there is one, what it moved.

// Reads and throws away whatever input arrives within the drain wait (up to 500 bytes;
// anything beyond stays queued). Returns the number of bytes discarded.
std::size_t drainInput(SerialPort& port, TrafficObserver* observer = nullptr);

// Reads and throws away what is already queued, without waiting.
std::size_t discardQueuedInput(SerialPort& port, TrafficObserver* observer = nullptr);

// Writes a request frame; whether the write succeeded shows only in the reply.
void sendFrame(SerialPort& port, std::span<const std::uint8_t> frame,
               TrafficObserver* observer = nullptr);

// Reads a reply of `replyLength` bytes (as many as arrive within the port's read time limits)
// and judges its length and checksum.
Reply receiveReply(SerialPort& port, std::size_t replyLength, TrafficObserver* observer = nullptr);

// One request/reply turn: writes `frame`, waits up to `waitMs` for `replyLength` bytes, runs
// `beforeRead` when there is one, reads the reply and judges its length and checksum. The
// reply's address and function code are not compared with the request.
Reply transact(SerialPort& port, std::span<const std::uint8_t> frame, std::size_t replyLength,
               std::uint32_t waitMs, TrafficObserver* observer = nullptr,
               const std::function<void()>& beforeRead = nullptr);

}  // namespace kt::serial
