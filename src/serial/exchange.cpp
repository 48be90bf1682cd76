#include "serial/exchange.h"

#include <algorithm>
#include <array>
#include <optional>

#include "serial/crc16.h"

namespace kt::serial {

std::vector<std::uint8_t> frameRequest(std::uint8_t stationAddress,
                                       std::span<const std::uint8_t> commandBytes)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(commandBytes.size() + 3);
    frame.push_back(stationAddress);
    frame.insert(frame.end(), commandBytes.begin(), commandBytes.end());
    const std::uint16_t crc = crc16Modbus(frame);
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return frame;
}

namespace {

using Clock = std::chrono::steady_clock;

// Reads into `buffer`, telling `observer` first when the read found the connection closed.
std::size_t readTellingClosing(SerialPort& port, std::span<std::uint8_t> buffer,
                               TrafficObserver* observer)
{
    const std::size_t count = port.read(buffer);
    if (port.takePeerClosing() && observer)
        observer->peerClosed();
    return count;
}

std::size_t discard(SerialPort& port, std::uint32_t queued, TrafficObserver* observer)
{
    if (queued == 0)
        return 0;
    std::array<std::uint8_t, kReceiveBufferSize> scratch{};
    const std::size_t count = std::min<std::size_t>(queued, scratch.size());
    const auto thrownAway = std::span(scratch.data(), readTellingClosing(port, std::span(scratch.data(), count), observer));
    if (observer && !thrownAway.empty())
        observer->discarded(thrownAway);
    return thrownAway.size();
}

// The port as the exchange sees it while a reply is due, noting when its first byte shows:
// at the first count of queued input above zero, or failing that, at the read that finds it.
// The rest is the port's own: its closing, its clock and its sleep.
class FirstByteWatch final : public SerialPort {
public:
    explicit FirstByteWatch(SerialPort& port) : port_(port) {}

    std::uint32_t queuedInputCount() override
    {
        const std::uint32_t queued = port_.queuedInputCount();
        if (queued > 0)
            note();
        return queued;
    }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        if (!firstByte_)
            queuedInputCount();
        const std::size_t count = port_.read(buffer);
        if (count > 0)
            note();
        return count;
    }

    void write(std::span<const std::uint8_t> bytes) override { port_.write(bytes); }
    std::uint32_t waitUntilQueued(std::uint16_t wanted, std::uint32_t limitMs) override
    {
        const std::uint32_t queued = port_.waitUntilQueued(wanted, limitMs);
        if (queued > 0)
            note();
        return queued;
    }
    bool takePeerClosing() override { return port_.takePeerClosing(); }
    Clock::time_point clockNow() override { return port_.clockNow(); }
    void sleepFor(std::chrono::milliseconds duration) override { port_.sleepFor(duration); }

    std::optional<Clock::time_point> firstByte() const { return firstByte_; }

private:
    void note()
    {
        if (!firstByte_)
            firstByte_ = port_.clockNow();
    }

    SerialPort& port_;
    std::optional<Clock::time_point> firstByte_;
};

constexpr std::size_t kFrameOverhead = 4;  // station, function, two checksum bytes
constexpr std::uint8_t kExceptionBit = 0x80;

}  // namespace

std::size_t drainInput(SerialPort& port, TrafficObserver* observer, WaitStyle waitStyle)
{
    return discard(port, waitForInput(port, kReceiveBufferSize, kDrainWaitMs, waitStyle), observer);
}

void sendFrame(SerialPort& port, std::span<const std::uint8_t> frame, TrafficObserver* observer)
{
    if (observer)
        observer->sent(frame);
    port.write(frame);
}

std::size_t discardQueuedInput(SerialPort& port, TrafficObserver* observer)
{
    return discard(port, port.queuedInputCount(), observer);
}

ObservedReply judgeReply(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply,
                         std::size_t expectedLength)
{
    using enum ReplyVerdict;
    ObservedReply observed{.bytes = reply, .expectedLength = expectedLength};
    const bool wholeFrame = reply.size() >= kFrameOverhead && checksumMatches(reply);
    const std::uint8_t function = request.size() > 1 ? request[1] : 0;
    if (reply.empty())
        observed.verdict = NoReply;
    else if (wholeFrame && !request.empty() && reply[0] != request[0])
        observed = {reply, OtherStation, reply[0], expectedLength};
    else if (wholeFrame && reply.size() == kExceptionReplyLength && reply[1] == (function | kExceptionBit))
        observed = {reply, Exception, reply[2], expectedLength};
    else if (wholeFrame && reply[1] != function)
        observed = {reply, OtherFunction, reply[1], expectedLength};
    else if (reply.size() < expectedLength)
        observed.verdict = ShortReply;
    else
        observed.verdict = wholeFrame ? Accepted : BadChecksum;
    return observed;
}

Reply transact(SerialPort& port, std::span<const std::uint8_t> frame, std::size_t replyLength,
               std::uint32_t waitMs, TrafficObserver* observer,
               const std::function<void()>& beforeRead, WaitStyle waitStyle)
{
    replyLength = std::min(replyLength, kReceiveBufferSize);
    sendFrame(port, frame, observer);
    const Clock::time_point written = port.clockNow();
    FirstByteWatch watched(port);
    waitForInput(watched, static_cast<std::uint16_t>(replyLength), waitMs, waitStyle);
    if (beforeRead)
        beforeRead();

    Reply reply;
    reply.bytes.resize(replyLength);
    reply.bytes.resize(readTellingClosing(watched, reply.bytes, observer));
    if (reply.bytes.size() != replyLength)
        reply.status = ReplyStatus::ShortReply;
    else if (!checksumMatches(reply.bytes))
        reply.status = ReplyStatus::BadChecksum;
    else
        reply.status = ReplyStatus::Accepted;
    if (observer) {
        ObservedReply observed = judgeReply(frame, reply.bytes, replyLength);
        observed.responseTime = std::chrono::duration_cast<std::chrono::milliseconds>(
            watched.firstByte().value_or(port.clockNow()) - written);
        observer->received(observed);
    }
    return reply;
}

}  // namespace kt::serial
