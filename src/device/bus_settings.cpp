#include "device/bus_settings.h"

#include <array>

namespace kt::device {
namespace {

constexpr std::uint16_t kBaudRateRegister = 0x8000;
constexpr std::uint16_t kBusAddressRegister = 0x8001;

}  // namespace

Bytes deviceBaudRateWriteRequest(std::uint16_t baudRate)
{
    return writeRequest(kBaudRateRegister, std::array<std::uint16_t, 1>{baudRate});
}

Bytes deviceAddressWriteRequest(std::uint8_t newAddress)
{
    return writeRequest(kBusAddressRegister, std::array<std::uint16_t, 1>{newAddress});
}

}  // namespace kt::device
