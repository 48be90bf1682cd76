#pragma once

#include <cstdint>
#include <string_view>

#include "device/command.h"

// The controller's own communication settings: its baud rate and its bus address. Changing
// them changes nothing in the console; the operator reopens the port or retypes the address.
namespace kt::device {

// The rate as typed in the baud rate list, read with parseWordEntry: any number from 0 to
// 65535 is sent (the controller decides whether it supports it), an empty text as 0.
Command<bool> deviceBaudRateWrite(std::uint16_t baudRate);

// The new address as typed, read with parseStationAddress: 0 to 255.
Command<bool> deviceAddressWrite(std::uint8_t newAddress);

inline constexpr std::string_view kBaudRateSetText = "设置波特率成功!!!";
inline constexpr std::string_view kBaudRateRefusedText = "设置波特率失败!!!";
inline constexpr std::string_view kAddressSetText = "设置地址成功!!!";
inline constexpr std::string_view kAddressRefusedText = "设置地址失败!!!";

}  // namespace kt::device
