#include "serial/exchange.h"

#include <algorithm>
#include <array>

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
    const std::size_t read = readTellingClosing(port, std::span(scratch.data(), count), observer);
    if (observer && read > 0)
        observer->discarded(std::span(scratch.data(), read));
    return read;
}

}  // namespace

std::size_t drainInput(SerialPort& port, TrafficObserver* observer)
{
    return discard(port, waitForBytes(port, kReceiveBufferSize, kDrainWaitMs), observer);
}

std::size_t discardQueuedInput(SerialPort& port, TrafficObserver* observer)
{
    return discard(port, port.queuedInputCount(), observer);
}

void sendFrame(SerialPort& port, std::span<const std::uint8_t> frame, TrafficObserver* observer)
{
    if (observer)
        observer->sent(frame);
    port.write(frame);
}

Reply receiveReply(SerialPort& port, std::size_t replyLength, TrafficObserver* observer)
{
    replyLength = std::min(replyLength, kReceiveBufferSize);
    Reply reply;
    reply.bytes.resize(replyLength);
    reply.bytes.resize(readTellingClosing(port, reply.bytes, observer));
    if (reply.bytes.size() != replyLength)
        reply.status = ReplyStatus::ShortReply;
    else if (!checksumMatches(reply.bytes))
        reply.status = ReplyStatus::BadChecksum;
    else
        reply.status = ReplyStatus::Accepted;
    if (observer)
        observer->received(reply, replyLength);
    return reply;
}

Reply transact(SerialPort& port, std::span<const std::uint8_t> frame, std::size_t replyLength,
               std::uint32_t waitMs, TrafficObserver* observer,
               const std::function<void()>& beforeRead)
{
    replyLength = std::min(replyLength, kReceiveBufferSize);
    sendFrame(port, frame, observer);
    waitForBytes(port, static_cast<std::uint16_t>(replyLength), waitMs);
    if (beforeRead)
        beforeRead();
    return receiveReply(port, replyLength, observer);
}

}  // namespace kt::serial
