#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "serial/serial_port.h"
#include "serial/wait_style.h"

namespace kt::serial {

// Largest number of bytes one drain or one reply may take.
inline constexpr std::size_t kReceiveBufferSize = 500;

// How long the drain waits for stale input.
inline constexpr std::uint32_t kDrainWaitMs = 50;

// Station, function with its high bit set, exception code, checksum.
inline constexpr std::size_t kExceptionReplyLength = 5;

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

// What a reply was, judged against its request, for the traffic log. The exchange itself and
// its callers go by ReplyStatus alone: a whole frame from another station is Accepted there.
enum class ReplyVerdict : std::uint8_t {
    Accepted,       // right length, checksum passes, the request's station and function
    NoReply,        // nothing arrived
    ShortReply,     // fewer bytes than expected arrived
    BadChecksum,    // right length, checksum fails
    Exception,      // 5 bytes, checksum passes, the request's function with its high bit set
    OtherStation,   // a frame whose checksum passes, from another station
    OtherFunction,  // a frame whose checksum passes, with another function code
};

// A reply as the traffic observer hears of it.
struct ObservedReply {
    std::span<const std::uint8_t> bytes;
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    // Exception: the exception code; OtherStation: the station that answered; OtherFunction:
    // the function code that came back.
    std::uint8_t code = 0;
    std::size_t expectedLength = 0;
    // From the request's last byte written to the reply's first byte seen (to within the 2 ms
    // polling step); for a silence, the whole time waited.
    std::chrono::milliseconds responseTime{0};
};

// The verdict on `reply` to `request` (both whole frames as on the wire), with its code.
ObservedReply judgeReply(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply,
                         std::size_t expectedLength);

// Sees every byte the functions below move, for a traffic view. It is called on the thread
// that runs the exchange, so it must be quick and must never wait for another thread.
class TrafficObserver {
public:
    virtual ~TrafficObserver() = default;
    virtual void sent(std::span<const std::uint8_t> frame) = 0;
    virtual void received(const ObservedReply& reply) = 0;
    // Stale input read and thrown away before a request.
    virtual void discarded(std::span<const std::uint8_t> staleBytes) = 0;
    // The far end closed the connection (a device server's): told once, before the read it ended.
    virtual void peerClosed() {}
};

// Each of these tells `observer`, when there is one, what it moved; those that wait notice
// the input in `waitStyle`.

// Reads and throws away whatever input arrives within the drain wait (up to 500 bytes;
// anything beyond stays queued). Returns the number of bytes discarded.
std::size_t drainInput(SerialPort& port, TrafficObserver* observer = nullptr,
                       WaitStyle waitStyle = WaitStyle::PollingSteps);

// Reads and throws away what is already queued, without waiting.
std::size_t discardQueuedInput(SerialPort& port, TrafficObserver* observer = nullptr);

// Writes a request frame; whether the write succeeded shows only in the reply.
void sendFrame(SerialPort& port, std::span<const std::uint8_t> frame,
               TrafficObserver* observer = nullptr);

// One request/reply turn: writes `frame`, waits up to `waitMs` for `replyLength` bytes, runs
// `beforeRead` when there is one, reads the reply (as many bytes as arrive within the port's
// read time limits) and judges its length and checksum. The reply's address and function
// code are compared with the request only for the observer.
Reply transact(SerialPort& port, std::span<const std::uint8_t> frame, std::size_t replyLength,
               std::uint32_t waitMs, TrafficObserver* observer = nullptr,
               const std::function<void()>& beforeRead = nullptr,
               WaitStyle waitStyle = WaitStyle::PollingSteps);

}  // namespace kt::serial
