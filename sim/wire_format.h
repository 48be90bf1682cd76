#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The controller's frames as they travel: requests are recognised and taken apart here, and
// replies are put together with their checksum.
namespace kt::sim {

using Bytes = std::vector<std::uint8_t>;

enum class Function : std::uint8_t {
    ReadHolding = 0x03,
    ReadInput = 0x04,
    Write = 0x06,
    WriteClock = 0x10,
};

// Every request starts with address, function, register (2 bytes) and word count (2 bytes).
inline constexpr std::size_t kRequestHeaderBytes = 6;
// A 0x06 write of 255 words: the longest request the framing can describe.
inline constexpr std::size_t kLongestRequestBytes = kRequestHeaderBytes + 2 * 255 + 2;

// The register whose 0x06 write carries no data: it clears the event log.
inline constexpr std::uint16_t kLogClearRegister = 0x4010;

// Total length of the request whose first kRequestHeaderBytes bytes are `header`, or nothing
// when the function code is not one the controller knows.
std::optional<std::size_t> requestLength(std::span<const std::uint8_t, kRequestHeaderBytes> header);

// A complete request with a correct checksum, taken apart.
struct Request {
    std::uint8_t address = 0;
    Function function = Function::ReadHolding;
    std::uint16_t firstRegister = 0;
    std::uint16_t wordCount = 0;
    std::span<const std::uint8_t> data;  // the bytes between header and checksum
};

Request parseRequest(std::span<const std::uint8_t> frame);

bool isWrite(Function function);

// `bytes` with the checksum appended in wire order.
Bytes withChecksum(Bytes bytes);

// Address, function, data length, data, checksum: the answer to a read.
Bytes dataReply(const Request& request, std::span<const std::uint8_t> data);

// A read reply carrying one word; writes and commands answer with their status word this way.
Bytes wordReply(const Request& request, std::uint16_t word);

// Address, function with its top bit set, exception code, checksum.
Bytes exceptionReply(const Request& request, std::uint8_t code);

inline constexpr std::uint8_t kIllegalDataAddress = 0x02;
inline constexpr std::uint8_t kIllegalDataValue = 0x03;

// Big-endian helpers for register values of one or two words.
Bytes toBigEndian(std::uint32_t value, std::size_t byteCount);
std::uint32_t fromBigEndian(std::span<const std::uint8_t> bytes);

}  // namespace kt::sim
