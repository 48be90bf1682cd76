#include "pseudo_terminal.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/posix/port_resolver.h"
#include "timing.h"

namespace kt::serial::test {

Bytes countingBytes(std::size_t count)
{
    Bytes bytes(count);
    for (std::size_t index = 0; index < count; ++index)
        bytes[index] = static_cast<std::uint8_t>(index);
    return bytes;
}

PseudoTerminal::PseudoTerminal(int portNumber)
{
    controllerFd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> terminalName{};
    if (controllerFd_ < 0 || ::grantpt(controllerFd_) != 0 || ::unlockpt(controllerFd_) != 0
        || ::ptsname_r(controllerFd_, terminalName.data(), terminalName.size()) != 0)
        return;
    terminalFd_ = ::open(terminalName.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminalFd_ < 0)
        return;

    // Raw from the start, so that bytes sent before the console opens the port are neither
    // echoed back nor held back waiting for a line end.
    termios settings{};
    ::tcgetattr(terminalFd_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(terminalFd_, TCSANOW, &settings);

    portName_ = std::make_unique<ScopedEnvironment>(posix::portOverrideVariable(portNumber),
                                                    terminalName.data());
}

PseudoTerminal::~PseudoTerminal()
{
    if (terminalFd_ >= 0)
        ::close(terminalFd_);
    if (controllerFd_ >= 0)
        ::close(controllerFd_);
}

void PseudoTerminal::send(std::span<const std::uint8_t> bytes) const
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(controllerFd_, bytes.data() + sent, bytes.size() - sent);
        if (count > 0)
            sent += static_cast<std::size_t>(count);
        else if (errno != EINTR)
            return;
    }
}

bool PseudoTerminal::sendQueued(std::span<const std::uint8_t> bytes) const
{
    const std::uint32_t expected = queuedForConsole() + static_cast<std::uint32_t>(bytes.size());
    send(bytes);
    const Clock::time_point start = Clock::now();
    while (queuedForConsole() < expected) {
        if (elapsedSince(start) > std::chrono::seconds(1))
            return false;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

std::jthread PseudoTerminal::sendInBackground(QList<Burst> bursts) const
{
    return std::jthread([this, bursts = std::move(bursts)] {
        for (const Burst& burst : bursts) {
            std::this_thread::sleep_for(milliseconds(burst.afterMs));
            send(countingBytes(static_cast<std::size_t>(burst.count)));
        }
    });
}

Bytes PseudoTerminal::receive(std::size_t count, std::chrono::milliseconds limit) const
{
    Bytes received(count);
    std::size_t filled = 0;
    const Clock::time_point deadline = Clock::now() + limit;
    while (filled < count && Clock::now() < deadline) {
        pollfd watched{controllerFd_, POLLIN, 0};
        const auto remaining = std::chrono::ceil<milliseconds>(deadline - Clock::now());
        if (::poll(&watched, 1, static_cast<int>(remaining.count())) <= 0)
            continue;
        const ssize_t got = ::read(controllerFd_, received.data() + filled, count - filled);
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    received.resize(filled);
    return received;
}

std::uint32_t PseudoTerminal::queuedForConsole() const
{
    int queued = 0;
    return ::ioctl(terminalFd_, FIONREAD, &queued) == 0 ? static_cast<std::uint32_t>(queued) : 0;
}

bool PseudoTerminal::isExclusive() const
{
    int exclusive = 0;
    return ::ioctl(terminalFd_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

void PseudoTerminal::stallConsoleOutput() const
{
    const int flags = ::fcntl(terminalFd_, F_GETFL);
    ::fcntl(terminalFd_, F_SETFL, flags | O_NONBLOCK);
    // The kernel moves queued bytes on to the controller side a little later, which frees
    // room again: full means that a pass after a pause still finds no room.
    const Bytes filler(4096);
    for (bool wroteAny = true; wroteAny; std::this_thread::sleep_for(milliseconds(20))) {
        wroteAny = false;
        while (::write(terminalFd_, filler.data(), filler.size()) > 0)
            wroteAny = true;
    }
    ::fcntl(terminalFd_, F_SETFL, flags);
}

void PseudoTerminal::hangUp()
{
    ::close(controllerFd_);
    controllerFd_ = -1;
}

}  // namespace kt::serial::test
