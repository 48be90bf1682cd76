#include "serial/wait_style.h"

namespace kt::serial {

std::uint32_t SerialPort::waitUntilQueued(std::uint16_t wanted, std::uint32_t limitMs)
{
    return waitForBytes(*this, wanted, limitMs);
}

std::uint32_t waitForInput(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs,
                           WaitStyle style)
{
    return style == WaitStyle::Readiness ? port.waitUntilQueued(wanted, limitMs)
                                         : waitForBytes(port, wanted, limitMs);
}

}  // namespace kt::serial
