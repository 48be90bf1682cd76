#pragma once

#include <string>

#include "serial/serial_port.h"

namespace kt::serial::posix {

// Connects to the serial device server that `name` (tcp://HOST:PORT) names.
OpenResult openTcpPort(const std::string& name);

}  // namespace kt::serial::posix
