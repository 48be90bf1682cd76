#pragma once

#include <cstdint>
#include <span>

namespace kt::serial {

// A CRC-16/MODBUS value with its two bytes exchanged: its high byte is the low byte of the
// published value, so appending it high byte first puts the checksum on the wire in Modbus
// order.
using SwappedCrc16 = std::uint16_t;

// CRC-16/MODBUS over `bytes`, swapped. The check value "123456789" gives 0x374B (published
// as 0x4B37).
SwappedCrc16 crc16Modbus(std::span<const std::uint8_t> bytes);

// True when the last two bytes of `frame` are the checksum of the bytes before them.
// Equivalent to crc16Modbus over the whole frame being 0.
bool checksumMatches(std::span<const std::uint8_t> frame);

}  // namespace kt::serial
