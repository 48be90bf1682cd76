#pragma once

#include <string>
#include <string_view>

#include "serial/serial_port.h"

namespace kt::link {

// What this machine found about why the port named `portName` (COM3, or a device path) would
// not open at `baudRate`: one line, UTF-8, under kPortOpenFailureText. The window and kt5270
// both say it.
std::string openFailureDetail(const serial::OpenFailure& failure, std::string_view portName,
                              int baudRate);

}  // namespace kt::link
