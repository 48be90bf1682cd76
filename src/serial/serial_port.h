#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kt::serial {

// One open serial line, 8N1 with DTR held off. Each platform provides its own subclass
// behind openSerialPort(); everything above this interface is platform-free.
//
// Time-outs: read(n) returns once n bytes have arrived, or when more than 100 ms pass
// between two bytes after the first, or after 5*n + 5 ms in all, with what has arrived.
// write(n) is abandoned after 50*n + 100 ms. Destroying the port closes it.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Bytes received and not yet read. Also clears any pending line-error condition.
    virtual std::uint32_t queuedInputCount() = 0;
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

protected:
    SerialPort() = default;
};

// Opens port COM<portNumber> exclusively at `baudRate` and purges both queues.
// Returns null when the port does not exist, is in use, or cannot take the settings.
std::unique_ptr<SerialPort> openSerialPort(int portNumber, int baudRate);

// The device that COM<portNumber> resolves to at this moment, empty if none.
std::string portDevicePath(int portNumber);

// Polls the queued input count every 2 ms until at least `wanted` bytes are queued or more
// than `limitMs` have passed, and returns the last count seen (which may exceed `wanted`).
// Always makes at least one query and one 2 ms pause.
std::uint32_t waitForBytes(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs);

}  // namespace kt::serial
