#include "serial/posix/tcp_serial_port.h"

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/posix/descriptor_transfers.h"
#include "serial/tcp_address.h"

namespace kt::serial::posix {
namespace {

using Kind = OpenFailure::Kind;

// A device server that takes one client at a time accepts a second one and closes it at
// once; a connection still standing after this long is taken as kept.
constexpr std::chrono::milliseconds kSettleTime{100};

ssize_t sendWithoutSignal(int fd, const void* bytes, std::size_t count)
{
    return ::send(fd, bytes, count, MSG_NOSIGNAL);  // a closed connection is an error, not SIGPIPE
}

// The connection is as non-blocking as a terminal, and read and written within the same
// limits; only its far end can close it.
class TcpSerialPort final : public SerialPort {
public:
    explicit TcpSerialPort(int fd) : fd_(fd) {}
    ~TcpSerialPort() override { ::close(fd_); }

    std::uint32_t queuedInputCount() override { return queuedBytes(fd_); }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const ReadOutcome outcome = readWithinLimits(fd_, buffer);
        if (outcome.hungUp)
            closed_ = true;
        return outcome.count;
    }

    // A frame goes out whole or the connection ends: after a torn one (the far end closed, or
    // stopped taking bytes) it is shut, so that no later frame follows its first bytes.
    void write(std::span<const std::uint8_t> bytes) override
    {
        if (!closed_ && !writeWithinLimits(fd_, bytes, sendWithoutSignal)) {
            ::shutdown(fd_, SHUT_RDWR);
            closed_ = true;
        }
    }

    bool takePeerClosing() override { return closed_ && !std::exchange(closingTold_, true); }

private:
    int fd_;
    bool closed_ = false;
    bool closingTold_ = false;
};

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// A connection attempt's outcome: the connected descriptor, or -1 and the error.
struct Attempt {
    int fd = -1;
    int error = 0;
};

// The error that ended a connection in progress, 0 once it stands.
int connectionOutcome(int fd, Clock::time_point deadline)
{
    if (waitFor(fd, POLLOUT, deadline) == Readiness::TimedOut)
        return ETIMEDOUT;
    int error = 0;
    socklen_t size = sizeof(error);
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 ? error : errno;
}

// Connects to `address`, giving up at `deadline`.
Attempt connectBefore(const addrinfo& address, Clock::time_point deadline)
{
    const int fd = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {-1, errno};
    int error = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (error == EINPROGRESS)
        error = connectionOutcome(fd, deadline);
    if (error == 0)
        return {fd, 0};
    ::close(fd);
    return {-1, error};
}

OpenFailure connectFailure(int error, const std::string& name)
{
    switch (error) {
    case ECONNREFUSED: return OpenFailure(Kind::ConnectionRefused, name);
    case ETIMEDOUT: return OpenFailure(Kind::NoAnswer, name);
    default: return OpenFailure(Kind::Other, name, {}, std::generic_category().message(error));
    }
}

}  // namespace

OpenResult openTcpPort(const std::string& name)
{
    const std::optional<TcpAddress> address = parseTcpAddress(name);
    if (!address)
        return OpenFailure(Kind::BadAddress, name);

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
    Attempt attempt;
    for (const addrinfo* candidate = addresses.get(); candidate; candidate = candidate->ai_next) {
        attempt = connectBefore(*candidate, deadline);
        if (attempt.fd < 0)
            continue;
        auto port = std::make_unique<TcpSerialPort>(attempt.fd);  // closes it on every return
        const int on = 1;
        ::setsockopt(attempt.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));  // frames leave at once
        if (waitFor(attempt.fd, POLLRDHUP, Clock::now() + kSettleTime) != Readiness::TimedOut)
            return OpenFailure(Kind::DroppedByPeer, name);
        return OpenResult(std::move(port));
    }
    return connectFailure(attempt.error, name);
}

}  // namespace kt::serial::posix
