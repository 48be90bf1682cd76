#include "serial/tcp_address.h"

#include <charconv>

namespace kt::serial {

bool namesTcpAddress(std::string_view name)
{
    return name.starts_with(kTcpScheme);
}

std::optional<TcpAddress> parseTcpAddress(std::string_view name)
{
    if (!namesTcpAddress(name))
        return std::nullopt;
    const std::string_view rest = name.substr(kTcpScheme.size());
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view host = rest.substr(0, colon);
    const std::string_view port = rest.substr(colon + 1);
    if (host.starts_with('[') && host.ends_with(']'))
        host = host.substr(1, host.size() - 2);
    else if (host.find_first_of("[]:") != std::string_view::npos)
        return std::nullopt;  // an IPv6 address needs its brackets
    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (host.empty() || error != std::errc() || end != port.data() + port.size() || number == 0
        || number > 65535 || port.front() == '0')
        return std::nullopt;
    return TcpAddress{std::string(host), std::string(port)};
}

}  // namespace kt::serial
