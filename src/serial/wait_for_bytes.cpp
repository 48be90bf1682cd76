#include "serial/serial_port.h"

#include "serial/polling_pause.h"

namespace kt::serial {

std::chrono::steady_clock::time_point SerialPort::clockNow()
{
    return std::chrono::steady_clock::now();
}

void SerialPort::sleepFor(std::chrono::milliseconds duration)
{
    pauseBetweenPolls(duration);
}

std::uint32_t waitForBytes(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs)
{
    const auto entry = port.clockNow();
    const auto limit = std::chrono::milliseconds(limitMs);
    for (;;) {
        const std::uint32_t queued = port.queuedInputCount();
        port.sleepFor(std::chrono::milliseconds(2));
        if (queued >= wanted || port.clockNow() - entry > limit)
            return queued;
    }
}

}  // namespace kt::serial
