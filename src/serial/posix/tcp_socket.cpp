#include <cerrno>
#include <memory>
#include <system_error>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/posix/descriptor_transfers.h"
#include "serial/tcp_serial_port.h"

namespace kt::serial {
namespace {

ssize_t sendWithoutSignal(int fd, const void* bytes, std::size_t count)
{
    return ::send(fd, bytes, count, MSG_NOSIGNAL);  // a closed connection is an error, not SIGPIPE
}

// The connection is as non-blocking as a terminal, and shares its transfers.
class PosixTcpSerialPort final : public TcpSerialPort {
public:
    explicit PosixTcpSerialPort(int fd) : fd_(fd) {}
    ~PosixTcpSerialPort() override { ::close(fd_); }

    std::uint32_t queuedInputCount() override { return posix::queuedBytes(fd_); }

    bool closesWithin(std::chrono::milliseconds settleTime) override
    {
        return posix::waitFor(fd_, POLLRDHUP, Clock::now() + settleTime) != Readiness::TimedOut;
    }

private:
    ReadOutcome receive(std::span<std::uint8_t> buffer) override
    {
        return posix::readWithinLimits(fd_, buffer);
    }

    bool sendWhole(std::span<const std::uint8_t> bytes) override
    {
        return posix::writeWithinLimits(fd_, bytes, sendWithoutSignal);
    }

    void shut() override { ::shutdown(fd_, SHUT_RDWR); }

    int fd_;
};

// The error that ended a connection in progress, 0 once it stands.
int connectionOutcome(int fd, Clock::time_point deadline)
{
    if (posix::waitFor(fd, POLLOUT, deadline) == Readiness::TimedOut)
        return ETIMEDOUT;
    int error = 0;
    socklen_t size = sizeof(error);
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 ? error : errno;
}

ConnectAttempt failedAttempt(int error)
{
    using Kind = OpenFailure::Kind;
    switch (error) {
    case ECONNREFUSED: return {nullptr, Kind::ConnectionRefused, {}};
    case ETIMEDOUT: return {nullptr, Kind::NoAnswer, {}};
    default: return {nullptr, Kind::Other, std::generic_category().message(error)};
    }
}

}  // namespace

// POSIX sockets need no start.
bool startSockets(std::string&)
{
    return true;
}

ConnectAttempt connectBefore(const addrinfo& address, Clock::time_point deadline)
{
    const int fd = ::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return failedAttempt(errno);
    auto port = std::make_unique<PosixTcpSerialPort>(fd);  // closes it on every return
    int error = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (error == EINPROGRESS)
        error = connectionOutcome(fd, deadline);
    if (error != 0)
        return failedAttempt(error);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    return {std::move(port), {}, {}};
}

}  // namespace kt::serial
