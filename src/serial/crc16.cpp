#include "serial/crc16.h"

#include <array>

namespace kt::serial {
namespace {

// The byte tables of the Modbus reference method, derived from the reflected polynomial
// 0xA001: for each index, the table-driven CRC step split into the byte that combines with
// the running high byte and the byte that becomes the new running low byte.
struct CrcTables {
    std::array<std::uint8_t, 256> high{};
    std::array<std::uint8_t, 256> low{};
};

constexpr CrcTables makeTables()
{
    CrcTables tables;
    for (unsigned index = 0; index < 256; ++index) {
        unsigned value = index;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1U) ? (value >> 1) ^ 0xA001U : value >> 1;
        tables.high[index] = static_cast<std::uint8_t>(value & 0xFFU);
        tables.low[index] = static_cast<std::uint8_t>(value >> 8);
    }
    return tables;
}

constexpr CrcTables kTables = makeTables();

}  // namespace

SwappedCrc16 crc16Modbus(std::span<const std::uint8_t> bytes)
{
    std::uint8_t first = 0xFF;
    std::uint8_t second = 0xFF;
    for (std::uint8_t byte : bytes) {
        const std::uint8_t index = first ^ byte;
        first = kTables.high[index] ^ second;
        second = kTables.low[index];
    }
    return static_cast<std::uint16_t>((first << 8) | second);
}

bool checksumMatches(std::span<const std::uint8_t> frame)
{
    return frame.size() >= 2 && crc16Modbus(frame) == 0;
}

}  // namespace kt::serial
