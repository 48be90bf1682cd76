#pragma once

#include <cstdint>

#include "serial/serial_port.h"

namespace kt::serial {

// How a reply wait or a drain notices the bytes it waits for. Either keeps the same limits;
// only the moment the arrival is noticed differs.
enum class WaitStyle {
    // The queued count polled every 2 ms (waitForBytes): the console's own rhythm, which also
    // leaves the line quiet for at least 2 ms after every reply.
    PollingSteps,
    // The port's own wait for its input (SerialPort::waitUntilQueued): no step to round up to.
    Readiness,
};

// waitForBytes, or the port's readiness wait, as `style` says.
std::uint32_t waitForInput(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs,
                           WaitStyle style);

}  // namespace kt::serial
