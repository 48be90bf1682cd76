#include "console_end.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

ConsoleEnd::ConsoleEnd(const std::string& devicePath)
{
    fd_ = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
}

ConsoleEnd::~ConsoleEnd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void ConsoleEnd::send(const std::vector<std::uint8_t>& bytes)
{
    if (fd_ >= 0 && ::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        ::close(std::exchange(fd_, -1));
}

std::vector<std::uint8_t> ConsoleEnd::receive(std::size_t count, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    std::vector<std::uint8_t> received;
    while (fd_ >= 0 && received.size() < count) {
        pollfd watched{fd_, POLLIN, 0};
        if (poll(&watched, 1, millisecondsUntil(deadline)) <= 0)
            break;
        std::array<std::uint8_t, 512> chunk{};
        const ssize_t got = ::read(fd_, chunk.data(), std::min(chunk.size(), count - received.size()));
        if (got <= 0)
            break;
        received.insert(received.end(), chunk.begin(), chunk.begin() + got);
    }
    return received;
}

std::vector<std::uint8_t> ConsoleEnd::receiveUntilQuiet(std::chrono::milliseconds quiet)
{
    std::vector<std::uint8_t> received;
    for (;;) {
        std::vector<std::uint8_t> more = receive(512, quiet);
        if (more.empty())
            return received;
        received.insert(received.end(), more.begin(), more.end());
    }
}

bool ConsoleEnd::lineAlive(std::chrono::milliseconds limit)
{
    pollfd watched{fd_, POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(limit.count())) <= 0)
        return true;
    std::uint8_t byte = 0;
    return !(watched.revents & (POLLHUP | POLLERR)) && ::read(fd_, &byte, 1) > 0;
}
