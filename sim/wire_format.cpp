#include "sim/wire_format.h"

#include "sim/checksum.h"

namespace kt::sim {

std::optional<std::size_t> requestLength(std::span<const std::uint8_t, kRequestHeaderBytes> header)
{
    constexpr std::size_t kHeaderAndChecksum = kRequestHeaderBytes + 2;
    const std::uint16_t firstRegister = static_cast<std::uint16_t>((header[2] << 8) | header[3]);
    // Writes carry their data after the header; the word count's low byte sizes it.
    const std::size_t dataBytes = 2 * std::size_t{header[5]};
    switch (static_cast<Function>(header[1])) {
    case Function::ReadHolding:
    case Function::ReadInput:
        return kHeaderAndChecksum;
    case Function::Write:
        return firstRegister == kLogClearRegister ? kHeaderAndChecksum : kHeaderAndChecksum + dataBytes;
    case Function::WriteClock:
        return kHeaderAndChecksum + dataBytes;
    }
    return std::nullopt;
}

Request parseRequest(std::span<const std::uint8_t> frame)
{
    return Request{
        .address = frame[0],
        .function = static_cast<Function>(frame[1]),
        .firstRegister = static_cast<std::uint16_t>(fromBigEndian(frame.subspan(2, 2))),
        .wordCount = static_cast<std::uint16_t>(fromBigEndian(frame.subspan(4, 2))),
        .data = frame.subspan(kRequestHeaderBytes, frame.size() - kRequestHeaderBytes - 2),
    };
}

bool isWrite(Function function)
{
    return function == Function::Write || function == Function::WriteClock;
}

Bytes withChecksum(Bytes bytes)
{
    const std::uint16_t checksum = crc16Modbus(bytes);
    bytes.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(checksum >> 8));
    return bytes;
}

Bytes dataReply(const Request& request, std::span<const std::uint8_t> data)
{
    Bytes reply{request.address, static_cast<std::uint8_t>(request.function),
                static_cast<std::uint8_t>(data.size())};
    reply.insert(reply.end(), data.begin(), data.end());
    return withChecksum(std::move(reply));
}

Bytes wordReply(const Request& request, std::uint16_t word)
{
    return dataReply(request, toBigEndian(word, 2));
}

Bytes exceptionReply(const Request& request, std::uint8_t code)
{
    return withChecksum({request.address, static_cast<std::uint8_t>(static_cast<std::uint8_t>(request.function) | 0x80), code});
}

Bytes toBigEndian(std::uint32_t value, std::size_t byteCount)
{
    Bytes bytes(byteCount);
    for (std::size_t index = byteCount; index-- > 0; value >>= 8)
        bytes[index] = static_cast<std::uint8_t>(value & 0xFF);
    return bytes;
}

std::uint32_t fromBigEndian(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (std::uint8_t byte : bytes)
        value = (value << 8) | byte;
    return value;
}

}  // namespace kt::sim
