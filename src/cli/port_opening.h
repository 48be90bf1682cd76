#pragma once

#include <memory>
#include <string>

#include "serial/serial_port.h"

namespace kt::cli {

// Opens the port --port names: COM<n> (any case), resolved as the window resolves it, or else
// a device path or a device server's tcp://HOST:PORT.
serial::OpenResult openPortNamed(const std::string& name, int baudRate);

// The same, null when it will not open; the reason is written on standard error.
std::unique_ptr<serial::SerialPort> openNamedPort(const std::string& name, int baudRate);

}  // namespace kt::cli
