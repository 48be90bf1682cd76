#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kt::serial {

// The time limits of every port's transfers, whatever the platform.
struct TransferLimits {
    // read(n) ends when this much silence follows a byte, once the first has come...
    std::uint32_t readGapMs = 100;
    // ...or after readPerByteMs * n + readBaseMs in all.
    std::uint32_t readPerByteMs = 5;
    std::uint32_t readBaseMs = 5;
    // write(n) is abandoned after writePerByteMs * n + writeBaseMs.
    std::uint32_t writePerByteMs = 50;
    std::uint32_t writeBaseMs = 100;
};
inline constexpr TransferLimits kTransferLimits{};

// One open serial line, 8N1 with DTR held off. Each platform provides its own subclass
// behind openSerialPort(); everything above this interface is platform-free.
//
// read(n) returns once n bytes have arrived, or earlier with what has arrived when a limit of
// kTransferLimits passes; write(n) likewise gives up. Destroying the port closes it.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Bytes received and not yet read. Also clears any pending line-error condition.
    virtual std::uint32_t queuedInputCount() = 0;
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;

    // Waits until at least `wanted` bytes are queued or `limitMs` have passed, and returns the
    // last count seen (which may exceed `wanted`). This one polls in waitForBytes' 2 ms steps;
    // a backend that can sleep until its input is ready overrides it and notices the bytes as
    // they come.
    virtual std::uint32_t waitUntilQueued(std::uint16_t wanted, std::uint32_t limitMs);

    // True on the first call after the far end closed the connection, so that the closing is
    // told once. Only a device server's connection has a far end that can close it.
    virtual bool takePeerClosing() { return false; }

    // The clock and the sleep that waitForBytes runs on: real time and the platform's pause
    // between polls (polling_pause.h) for every line. A port in memory, whose input is all
    // there at once, may keep time of its own, so that its waits take the same polls and no
    // real time.
    virtual std::chrono::steady_clock::time_point clockNow();
    virtual void sleepFor(std::chrono::milliseconds duration);

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

protected:
    SerialPort() = default;
};

// A program that /proc shows with a device open.
struct PortHolder {
    std::string program;  // its name as the kernel keeps it (at most 15 bytes)
    int processId = 0;

    bool operator==(const PortHolder&) const = default;
};

// Why an open failed, decided from the system's own errors and from what COM<n> resolves to.
struct OpenFailure {
    enum class Kind {
        UnsupportedSpeed,  // not one of kLineSpeeds
        NoDevice,          // COM<n> resolves to no device, or to one that is not there
        AccessDenied,      // the device is closed to this user
        InUse,             // another program holds the device
        SettingsRefused,   // the device is no terminal, or will not take 8N1 at the speed
        // A device server (tcp://HOST:PORT) that would not connect:
        BadAddress,         // the name is no HOST:PORT
        HostNotFound,       // the host name does not resolve
        ConnectionRefused,  // nothing listens at the port
        NoAnswer,           // no answer within kConnectTimeout
        DroppedByPeer,      // it accepted the connection, then closed it at once
        Other,             // any other error: `detail` holds the system's own words
    };

    explicit OpenFailure(Kind kind = Kind::Other, std::string device = {},
                         std::vector<PortHolder> holders = {}, std::string detail = {})
        : kind(kind), device(std::move(device)), holders(std::move(holders)), detail(std::move(detail))
    {
    }

    Kind kind;
    std::string device;               // what COM<n> resolved to; empty when nothing
    std::vector<PortHolder> holders;  // InUse: the other processes holding the device
    std::string detail;               // Other: the system's description, UTF-8
};

// The open port, or, when `port` is null, why there is none.
struct OpenResult {
    // Implicit, so that an open returns its port or its failure as they are.
    OpenResult(std::unique_ptr<SerialPort> port) : port(std::move(port)) {}
    OpenResult(OpenFailure failure) : failure(std::move(failure)) {}

    std::unique_ptr<SerialPort> port;
    OpenFailure failure;
};

// Opens port COM<portNumber> exclusively at `baudRate` and purges both queues. A failed
// open leaves nothing open.
OpenResult openSerialPort(int portNumber, int baudRate);

// The same for a device named by its path, such as /dev/ttyUSB0, or for a serial device
// server named tcp://HOST:PORT: what COM<n> resolves to. A device server keeps its own line
// settings, so its connection takes any supported `baudRate` and leaves the line as it is.
OpenResult openSerialDevice(const std::string& devicePath, int baudRate);

// The console offers the ports COM1 to COM<kPortCount>.
inline constexpr int kPortCount = 20;

// The device that COM<portNumber> resolves to at this moment, empty if none.
std::string portDevicePath(int portNumber);

// Polls the queued input count every 2 ms until at least `wanted` bytes are queued or more
// than `limitMs` have passed, and returns the last count seen (which may exceed `wanted`).
// Always makes at least one query and one 2 ms pause.
std::uint32_t waitForBytes(SerialPort& port, std::uint16_t wanted, std::uint32_t limitMs);

}  // namespace kt::serial
