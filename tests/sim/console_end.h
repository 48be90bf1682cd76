#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The console's side of the simulated line, opened with plain POSIX calls the way a serial
// port is (raw mode), so that the simulator is checked without the console's own serial code.
class ConsoleEnd {
public:
    explicit ConsoleEnd(const std::string& devicePath)
        : fd_(::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ConsoleEnd(const ConsoleEnd&) = delete;
    ConsoleEnd& operator=(const ConsoleEnd&) = delete;
    ~ConsoleEnd() { ::close(fd_); }

    bool isOpen() const { return fd_ >= 0; }
    bool send(const std::vector<std::uint8_t>& bytes)
    {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Up to `count` bytes, waiting at most `limit` for them.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::vector<std::uint8_t> received(count);
        std::size_t filled = 0;
        while (filled < count) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd watched{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
                break;
            const ssize_t got = ::read(fd_, received.data() + filled, count - filled);
            if (got <= 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        received.resize(filled);
        return received;
    }

    // False when the other end has gone (read error or hang-up) within `limit`.
    bool lineAlive(std::chrono::milliseconds limit)
    {
        pollfd watched{fd_, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(limit.count())) <= 0)
            return true;
        std::uint8_t byte = 0;
        return !(watched.revents & (POLLHUP | POLLERR)) && ::read(fd_, &byte, 1) > 0;
    }

private:
    int fd_ = -1;
};
