#pragma once

#include <cstdint>
#include <string_view>

#include "device/command.h"

// The number of events in the controller's log, and clearing the log. Both use register 0x4010.
namespace kt::device {

// Unsigned: 0 to 65535.
Command<std::uint16_t> logCountRead();

// A one-word write that carries no data word.
Command<bool> logClear();

inline constexpr std::string_view kLogClearAcceptedText = "清除日志成功!!!";
inline constexpr std::string_view kLogClearRefusedText = "清除日志失败!!!";

}  // namespace kt::device
