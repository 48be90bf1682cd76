#include "device/frames.h"

namespace kt::device {
namespace {

void appendWord(Bytes& bytes, std::uint16_t word)
{
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

}  // namespace

Bytes readRequest(Function function, std::uint16_t firstRegister, std::uint16_t wordCount)
{
    Bytes request{static_cast<std::uint8_t>(function)};
    appendWord(request, firstRegister);
    appendWord(request, wordCount);
    return request;
}

Bytes writeRequest(std::uint16_t firstRegister, std::span<const std::uint16_t> words)
{
    Bytes request{static_cast<std::uint8_t>(Function::WriteRegisters)};
    appendWord(request, firstRegister);
    request.push_back(0x00);
    request.push_back(static_cast<std::uint8_t>(words.size()));
    for (std::uint16_t word : words)
        appendWord(request, word);
    return request;
}

bool isWriteAccepted(std::span<const std::uint8_t> reply)
{
    return reply.size() >= 5 && reply[3] == 0x00 && reply[4] == 0x00;
}

std::uint16_t wordAt(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

Command<std::uint16_t> wordRead(Function function, std::uint16_t reg)
{
    return {.request = readRequest(function, reg, 1),
            .replyLength = readReplyLength(1),
            .decode = [](std::span<const std::uint8_t> reply) {
                return wordAt(reply, kReplyDataOffset);
            }};
}

Command<bool> writeCommand(Bytes request)
{
    return {.request = std::move(request), .replyLength = kWriteReplyLength, .decode = isWriteAccepted};
}

}  // namespace kt::device
