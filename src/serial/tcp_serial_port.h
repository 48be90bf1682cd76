#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "serial/limited_transfers.h"
#include "serial/serial_port.h"

struct addrinfo;

namespace kt::serial {

// A connection to a serial device server, as each platform's sockets hold it. It is read and
// written within the same limits as a terminal; only its far end can close it.
class TcpSerialPort : public SerialPort {
public:
    std::size_t read(std::span<std::uint8_t> buffer) final;
    void write(std::span<const std::uint8_t> bytes) final;
    bool takePeerClosing() final;

    // Whether the far end closes the connection within `settleTime` of its start.
    virtual bool closesWithin(std::chrono::milliseconds settleTime) = 0;

protected:
    TcpSerialPort() = default;

    // The platform's transfers within the limits, and the end of both directions.
    virtual ReadOutcome receive(std::span<std::uint8_t> buffer) = 0;
    virtual bool sendWhole(std::span<const std::uint8_t> bytes) = 0;
    virtual void shut() = 0;

private:
    bool closed_ = false;
    bool closingTold_ = false;
};

// One connection attempt's outcome: the connected port, or why there is none (ConnectionRefused,
// NoAnswer or Other with the system's words).
struct ConnectAttempt {
    std::unique_ptr<TcpSerialPort> port;
    OpenFailure::Kind failure = OpenFailure::Kind::Other;
    std::string detail;
};

// Each platform's part: its sockets started once, before the first name lookup (false when
// they cannot be, with the system's words in `detail`), and a non-blocking connection to one
// address of a name, given up at `deadline`, with Nagle's delay off so that frames leave at once.
bool startSockets(std::string& detail);
ConnectAttempt connectBefore(const addrinfo& address, Clock::time_point deadline);

// Connects to the serial device server that `name` (tcp://HOST:PORT) names.
OpenResult openTcpPort(const std::string& name);

}  // namespace kt::serial
