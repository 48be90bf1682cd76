#include "sim/checksum.h"

namespace kt::sim {

std::uint16_t crc16Modbus(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

bool endsWithChecksum(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 2)
        return false;
    const std::uint16_t crc = crc16Modbus(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

}  // namespace kt::sim
