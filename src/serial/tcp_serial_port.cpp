#include "serial/tcp_serial_port.h"

#include <optional>
#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

#include "serial/tcp_address.h"

namespace kt::serial {
namespace {

using Kind = OpenFailure::Kind;

// A device server that takes one client at a time accepts a second one and closes it at
// once; a connection still standing after this long is taken as kept.
constexpr std::chrono::milliseconds kSettleTime{100};

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

}  // namespace

std::size_t TcpSerialPort::read(std::span<std::uint8_t> buffer)
{
    const ReadOutcome outcome = receive(buffer);
    if (outcome.hungUp)
        closed_ = true;
    return outcome.count;
}

// A frame goes out whole or the connection ends: after a torn one (the far end closed, or
// stopped taking bytes) it is shut, so that no later frame follows its first bytes.
void TcpSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!closed_ && !sendWhole(bytes)) {
        shut();
        closed_ = true;
    }
}

bool TcpSerialPort::takePeerClosing()
{
    return closed_ && !std::exchange(closingTold_, true);
}

OpenResult openTcpPort(const std::string& name)
{
    const std::optional<TcpAddress> address = parseTcpAddress(name);
    if (!address)
        return OpenFailure(Kind::BadAddress, name);
    if (std::string detail; !startSockets(detail))
        return OpenFailure(Kind::Other, name, {}, detail);

    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(address->host.c_str(), address->port.c_str(), &hints, &found);
        error != 0) {
        if (error == EAI_NONAME || error == EAI_NODATA || error == EAI_AGAIN || error == EAI_FAIL)
            return OpenFailure(Kind::HostNotFound, name);
        return OpenFailure(Kind::Other, name, {}, ::gai_strerror(error));
    }
    const AddressList addresses(found);

    // A name may stand for several addresses: each is tried in turn, within one time-out.
    const Clock::time_point deadline = Clock::now() + kConnectTimeout;
    ConnectAttempt attempt;
    for (const addrinfo* candidate = addresses.get(); candidate; candidate = candidate->ai_next) {
        attempt = connectBefore(*candidate, deadline);
        if (!attempt.port)
            continue;
        if (attempt.port->closesWithin(kSettleTime))
            return OpenFailure(Kind::DroppedByPeer, name);
        return OpenResult(std::move(attempt.port));
    }
    return OpenFailure(attempt.failure, name, {}, attempt.detail);
}

}  // namespace kt::serial
