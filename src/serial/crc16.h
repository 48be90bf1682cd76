#pragma once

#include <cstdint>
#include <span>

namespace kt::serial {

// CRC-16/MODBUS over `bytes`, returned with its two bytes exchanged: the high byte of the
// result is the low byte of the published value, so appending the result high byte first
// puts the checksum on the wire in Modbus order. The check value "123456789" gives 0x374B.
std::uint16_t crc16Modbus(std::span<const std::uint8_t> bytes);

// True when the last two bytes of `frame` are the checksum of the bytes before them.
// Equivalent to crc16Modbus over the whole frame being 0.
bool checksumMatches(std::span<const std::uint8_t> frame);

}  // namespace kt::serial
