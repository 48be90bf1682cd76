#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/port_override.h"
#include "serial/serial_port.h"

namespace kt::serial::test {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

// Bytes 0, 1, 2, ... wrapping after 255: every value appears, so any translation shows.
inline Bytes countingBytes(std::size_t count)
{
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t(0));  // an 8-bit count wraps to 0
    return bytes;
}

// A pseudo-terminal for the cable: the console opens its terminal side as COM<portNumber>
// (named by KT5270_COM<portNumber> while this lives); the test plays the controller.
class PseudoTerminal {
public:
    explicit PseudoTerminal(int portNumber) : portVariable_(portOverrideVariable(portNumber))
    {
        // Raw from the start: bytes sent before the console opens are neither echoed nor held back.
        termios raw{};
        ::cfmakeraw(&raw);
        std::array<char, 128> terminalName{};
        if (::openpty(&controllerFd_, &terminalFd_, nullptr, &raw, nullptr) == 0
            && ::ttyname_r(terminalFd_, terminalName.data(), terminalName.size()) == 0) {
            devicePath_ = terminalName.data();
            ::setenv(portVariable_.c_str(), devicePath_.c_str(), 1);
        }
    }
    ~PseudoTerminal() { ::unsetenv(portVariable_.c_str()); ::close(terminalFd_); hangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The terminal side's device, e.g. /dev/pts/3.
    const std::string& devicePath() const { return devicePath_; }

    // The tests send far less than the kernel's buffer holds: one write takes all of it.
    void send(std::span<const std::uint8_t> bytes) const { (void)::write(controllerFd_, bytes.data(), bytes.size()); }

    // Sends, then waits (up to a second) until all of it sits in the console's input queue.
    bool sendQueued(std::span<const std::uint8_t> bytes) const
    {
        int before = 0, queued = 0;
        ::ioctl(terminalFd_, FIONREAD, &before);
        send(bytes);
        for (int pass = 0; pass < 1000; ++pass, std::this_thread::sleep_for(milliseconds(1)))
            if (::ioctl(terminalFd_, FIONREAD, &queued) == 0 && std::size_t(queued) >= before + bytes.size())
                return true;
        return false;
    }

    // What the console wrote: up to `count` bytes, ending early once `limit` passes in silence.
    Bytes receive(std::size_t count, milliseconds limit) const
    {
        Bytes received(count);
        std::size_t filled = 0;
        pollfd watched{controllerFd_, POLLIN, 0};
        while (filled < count && ::poll(&watched, 1, static_cast<int>(limit.count())) > 0) {
            const ssize_t got = ::read(controllerFd_, received.data() + filled, count - filled);
            if (got <= 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        received.resize(filled);
        return received;
    }

    // The cooked mode a real adapter starts in, which the console's port must undo entirely.
    void cook() const
    {
        termios settings{};
        ::tcgetattr(terminalFd_, &settings);
        settings.c_iflag |= ICRNL | IXON;
        settings.c_oflag |= OPOST | ONLCR;
        settings.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        ::tcsetattr(terminalFd_, TCSANOW, &settings);
    }

    // TIOCEXCL, read directly: it refuses no opens by root, which runs these tests in CI.
    bool isExclusive() const { int on = 0; return ::ioctl(terminalFd_, TIOCGEXCL, &on) == 0 && on != 0; }

    // Stops the console's output as a flow-control stop would, so that its writes stall.
    void stallConsoleOutput() const { ::tcflow(terminalFd_, TCOOFF); }

    // Closes the controller side, as pulling out a USB adapter would.
    void hangUp() { ::close(std::exchange(controllerFd_, -1)); }

private:
    int controllerFd_ = -1;
    // Held open by the test so that the controller side never sees the line hung up.
    int terminalFd_ = -1;
    std::string portVariable_;
    std::string devicePath_;
};

// The console's port opened as COM<portNumber> on a fresh pseudo-terminal; null if that failed.
struct ConsoleLine {
    ConsoleLine(int portNumber, int baudRate) : controller(portNumber), port(openSerialPort(portNumber, baudRate).port) {}

    PseudoTerminal controller;
    std::unique_ptr<SerialPort> port;
};

}  // namespace kt::serial::test
