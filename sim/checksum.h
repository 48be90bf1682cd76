#pragma once

#include <cstdint>
#include <span>

// The controller's CRC-16/MODBUS, worked out bit by bit. The simulator keeps its own rather
// than the console's table-driven one, so that a fault in either shows up as frames the other
// refuses.
namespace kt::sim {

// The published CRC-16/MODBUS of `bytes` ("123456789" gives 0x4B37); its low byte goes first
// on the wire.
std::uint16_t crc16Modbus(std::span<const std::uint8_t> bytes);

// True when `frame` ends in the checksum of the bytes before it, low byte first.
bool endsWithChecksum(std::span<const std::uint8_t> frame);

}  // namespace kt::sim
