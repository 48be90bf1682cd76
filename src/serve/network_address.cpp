#include "serve/network_address.h"

#include <charconv>

namespace kt::serve {
namespace {

std::optional<int> portNumber(std::string_view text)
{
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

}  // namespace

std::string NetworkAddress::text() const
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<NetworkAddress> parseNetworkAddress(std::string_view text, std::optional<int> defaultPort)
{
    std::string_view host = text;
    std::string_view rest;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return std::nullopt;
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        rest = text.substr(colon);
    }
    if (host.empty() || host.find_first_of(" /[]") != std::string_view::npos)
        return std::nullopt;
    const std::optional<int> port = rest.empty() ? defaultPort : portNumber(rest.substr(1));
    if (!port)
        return std::nullopt;
    return NetworkAddress{std::string(host), *port};
}

}  // namespace kt::serve
