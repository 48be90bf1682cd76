#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/bytes.h"
#include "device/command.h"

// The controller's frame layouts, without the station address in front and the checksum
// behind, which the serial exchange adds and checks.
namespace kt::device {

enum class Function : std::uint8_t {
    ReadHoldingRegisters = 0x03,
    ReadInputRegisters = 0x04,
    WriteRegisters = 0x06,
    WriteClockRegisters = 0x10,
};

// Function code, register high and low byte, word count high and low byte.
Bytes readRequest(Function function, std::uint16_t firstRegister, std::uint16_t wordCount);

// Function 0x06: register, 0x00, the word count, then each word most significant byte first.
Bytes writeRequest(std::uint16_t firstRegister, std::span<const std::uint16_t> words);

// Address, function, one byte, two bytes per word, two checksum bytes.
constexpr std::size_t readReplyLength(std::size_t wordCount) { return 5 + 2 * wordCount; }

// Address, function, one byte, two status bytes, two checksum bytes.
inline constexpr std::size_t kWriteReplyLength = 7;

// Offset of the first data byte in a read reply.
inline constexpr std::size_t kReplyDataOffset = 3;

// A write reply is accepted when both of its status bytes are 0x00.
bool isWriteAccepted(std::span<const std::uint8_t> reply);

// The big-endian word at `offset` of `bytes`.
std::uint16_t wordAt(std::span<const std::uint8_t> bytes, std::size_t offset);

// A read of one register word; the reply's value is that word.
Command<std::uint16_t> wordRead(Function function, std::uint16_t reg);

// A write; the reply's value tells whether the controller accepted it.
Command<bool> writeCommand(Bytes request);

}  // namespace kt::device
