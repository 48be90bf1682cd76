#include "device/bus_settings.h"

#include <array>

#include "device/frames.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kBaudRateRegister = 0x8000;
constexpr std::uint16_t kBusAddressRegister = 0x8001;

}  // namespace

Command<bool> deviceBaudRateWrite(std::uint16_t baudRate)
{
    return writeCommand(writeRequest(kBaudRateRegister, std::array<std::uint16_t, 1>{baudRate}));
}

Command<bool> deviceAddressWrite(std::uint8_t newAddress)
{
    return writeCommand(
        writeRequest(kBusAddressRegister, std::array<std::uint16_t, 1>{newAddress}));
}

}  // namespace kt::device
