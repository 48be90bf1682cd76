#include "serial/serial_port.h"

#include <chrono>

#include "serial/polling_pause.h"

namespace kt::serial {

std::uint32_t waitForBytes(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point entry = Clock::now();
    const auto limit = std::chrono::milliseconds(limitMs);
    for (;;) {
        const std::uint32_t queued = port.queuedInputCount();
        pauseBetweenPolls();
        if (queued >= wanted || Clock::now() - entry > limit)
            return queued;
    }
}

}  // namespace kt::serial
