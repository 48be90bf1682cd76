#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kt::serve {

// A host and a TCP port: "127.0.0.1:1883", "broker.lan", "[::1]:9101".
struct NetworkAddress {
    std::string host;  // without the brackets of an IPv6 address
    int port = 0;

    // As civetweb and people write it: brackets around an IPv6 address.
    std::string text() const;
};

// None when `text` is malformed, or has no port and `defaultPort` is none.
std::optional<NetworkAddress> parseNetworkAddress(std::string_view text, std::optional<int> defaultPort);

}  // namespace kt::serve
