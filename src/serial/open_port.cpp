#include "serial/serial_port.h"

namespace kt::serial {

// Both backends open a COM port through the device it resolves to.
OpenResult openSerialPort(int portNumber, int baudRate)
{
    return openSerialDevice(portDevicePath(portNumber), baudRate);
}

}  // namespace kt::serial
