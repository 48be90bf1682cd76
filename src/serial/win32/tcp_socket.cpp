#include <algorithm>
#include <memory>
#include <vector>

#define NOMINMAX 1  // std::min, not the macro
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#include <ws2tcpip.h>

#include "serial/tcp_serial_port.h"
#include "serial/win32/system_message.h"
#include "serial/win32/timer_resolution.h"

namespace kt::serial {
namespace {

// Input taken from the socket and not yet read is held up to this much; the rest waits in the
// system's own queue.
constexpr std::size_t kMostHeld = 65536;

// Waits until `socket` can be read or, `writing`, written, or `deadline` passes. A connection
// attempt that failed, or a failed wait, is a failure.
Readiness waitForSocket(SOCKET socket, bool writing, Clock::time_point deadline)
{
    for (;;) {
        const Clock::duration remaining = deadline - Clock::now();
        if (remaining <= Clock::duration::zero())
            return Readiness::TimedOut;
        const auto micros = std::chrono::ceil<std::chrono::microseconds>(remaining).count();
        timeval timeout{static_cast<long>(micros / 1'000'000), static_cast<long>(micros % 1'000'000)};
        fd_set wanted;
        FD_ZERO(&wanted);
        FD_SET(socket, &wanted);
        fd_set failed = wanted;
        const int ready = ::select(0, writing ? nullptr : &wanted, writing ? &wanted : nullptr, &failed, &timeout);
        if (ready == SOCKET_ERROR)
            return Readiness::Failed;
        if (ready > 0)
            return FD_ISSET(socket, &wanted) ? Readiness::Ready : Readiness::Failed;
    }
}

// The socket is non-blocking. Whatever has arrived is taken into the port's own queue at each
// look, so that a wait in select() sleeps until more comes, and the far end's closing is seen
// even behind bytes it sent first.
class Win32TcpSerialPort final : public TcpSerialPort {
public:
    explicit Win32TcpSerialPort(SOCKET socket) : socket_(socket) {}
    ~Win32TcpSerialPort() override { ::closesocket(socket_); }

    std::uint32_t queuedInputCount() override
    {
        takeArrived();
        return static_cast<std::uint32_t>(arrived_.size());
    }

    std::uint32_t waitUntilQueued(std::uint16_t wanted, std::uint32_t limitMs) override
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            const std::uint32_t queued = queuedInputCount();
            if (queued >= wanted || ended_ || Clock::now() >= deadline
                || waitForSocket(socket_, false, deadline) == Readiness::Failed)
                return queued;
        }
    }

    bool closesWithin(std::chrono::milliseconds settleTime) override
    {
        const Clock::time_point deadline = Clock::now() + settleTime;
        for (;;) {
            takeArrived();
            if (ended_)
                return true;
            if (waitForSocket(socket_, false, deadline) == Readiness::TimedOut)
                return false;
        }
    }

private:
    ReadOutcome receive(std::span<std::uint8_t> buffer) override
    {
        return readWithinLimits(
            buffer,
            [this](Clock::time_point deadline) {
                return arrived_.empty() && !ended_ ? waitForSocket(socket_, false, deadline) : Readiness::Ready;
            },
            [this](std::span<std::uint8_t> free) {
                takeArrived();
                const std::size_t count = std::min(free.size(), arrived_.size());
                std::copy_n(arrived_.begin(), count, free.begin());
                arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(count));
                return TransferStep{count, count == 0 && ended_};
            });
    }

    bool sendWhole(std::span<const std::uint8_t> bytes) override
    {
        return writeWithinLimits(
            bytes,
            [this](std::span<const std::uint8_t> rest) {
                const int count = ::send(socket_, reinterpret_cast<const char*>(rest.data()),
                                         static_cast<int>(rest.size()), 0);
                if (count > 0)
                    return TransferStep{static_cast<std::size_t>(count), false};
                return TransferStep{0, count == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK};
            },
            [this](Clock::time_point deadline) { return waitForSocket(socket_, true, deadline); });
    }

    void shut() override { ::shutdown(socket_, SD_BOTH); }

    // Receives all the system holds; a receive of nothing, or an error other than an empty
    // queue, ends the connection.
    void takeArrived()
    {
        while (!ended_ && arrived_.size() < kMostHeld) {
            char chunk[512];
            const int count = ::recv(socket_, chunk, sizeof(chunk), 0);
            if (count <= 0) {
                ended_ = count == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK;
                return;
            }
            arrived_.insert(arrived_.end(), chunk, chunk + count);
        }
    }

    SOCKET socket_;
    std::vector<std::uint8_t> arrived_;
    bool ended_ = false;
    FineTimerResolution timerResolution_;  // for the 2 ms polling pauses, as on a COM port
};

// The error that ended a connection in progress, 0 once it stands.
int connectionOutcome(SOCKET socket, Clock::time_point deadline)
{
    if (waitForSocket(socket, true, deadline) == Readiness::TimedOut)
        return WSAETIMEDOUT;
    int error = 0;
    int size = sizeof(error);
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0
        ? error
        : ::WSAGetLastError();
}

ConnectAttempt failedAttempt(int error)
{
    using Kind = OpenFailure::Kind;
    switch (error) {
    case WSAECONNREFUSED: return {nullptr, Kind::ConnectionRefused, {}};
    case WSAETIMEDOUT: return {nullptr, Kind::NoAnswer, {}};
    default: return {nullptr, Kind::Other, systemMessage(static_cast<unsigned long>(error))};
    }
}

}  // namespace

// Winsock is started once for the program's life; the system ends it with the process.
bool startSockets(std::string& detail)
{
    static const int error = [] {
        WSADATA version;
        return ::WSAStartup(MAKEWORD(2, 2), &version);
    }();
    if (error != 0)
        detail = systemMessage(static_cast<unsigned long>(error));
    return error == 0;
}

ConnectAttempt connectBefore(const addrinfo& address, Clock::time_point deadline)
{
    const SOCKET socket = ::socket(address.ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return failedAttempt(::WSAGetLastError());
    auto port = std::make_unique<Win32TcpSerialPort>(socket);  // closes it on every return
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0)
        return failedAttempt(::WSAGetLastError());
    int error = ::connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0 ? 0 : ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        error = connectionOutcome(socket, deadline);
    if (error != 0)
        return failedAttempt(error);
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
    return {std::move(port), {}, {}};
}

}  // namespace kt::serial
