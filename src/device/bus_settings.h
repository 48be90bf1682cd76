#pragma once

#include <cstddef>
#include <cstdint>

#include "device/bytes.h"
#include "device/frames.h"

// The controller's own communication settings: its baud rate and its bus address. Changing
// them changes nothing in the console; the operator reopens the port or retypes the address.
namespace kt::device {

// The rate as typed in the baud rate list, read with parseWordEntry: any number from 0 to
// 65535 is sent (the controller decides whether it supports it), an empty text as 0.
Bytes deviceBaudRateWriteRequest(std::uint16_t baudRate);

// The new address as typed, read with parseStationAddress: 0 to 255.
Bytes deviceAddressWriteRequest(std::uint8_t newAddress);

// Both are one-word writes, judged with isWriteAccepted.
inline constexpr std::size_t kBusSettingReplyLength = kWriteReplyLength;

}  // namespace kt::device
