#pragma once

#include <memory>

#include "pseudo_terminal.h"
#include "serial/serial_port.h"

namespace kt::serial::test {

// The console's port opened as COM<portNumber> on a fresh pseudo-terminal whose other side
// the test plays as the controller. `port` is null when the open failed.
struct ConsoleLine {
    ConsoleLine(int portNumber, int baudRate)
        : controller(portNumber), port(openSerialPort(portNumber, baudRate))
    {
    }

    PseudoTerminal controller;
    std::unique_ptr<SerialPort> port;
};

}  // namespace kt::serial::test
