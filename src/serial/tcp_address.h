#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kt::serial {

// A serial device server: a box that forwards the RS-485 line's bytes over a raw TCP
// connection. The console names one "tcp://HOST:PORT", wherever it names a port.
inline constexpr std::string_view kTcpScheme = "tcp://";

// How long a device server has to accept the connection.
inline constexpr std::chrono::seconds kConnectTimeout{3};

struct TcpAddress {
    std::string host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    std::string port;  // decimal, 1 to 65535
};

// Whether `name` is meant as a device server's address, well-formed or not.
bool namesTcpAddress(std::string_view name);

// "tcp://HOST:PORT" or "tcp://[IPv6]:PORT"; none for anything else.
std::optional<TcpAddress> parseTcpAddress(std::string_view name);

}  // namespace kt::serial
