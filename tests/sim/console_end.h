#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The console's side of the simulated line, opened with plain POSIX calls the way a serial
// port is: raw mode, reads that wait with a time limit.
class ConsoleEnd {
public:
    explicit ConsoleEnd(const std::string& devicePath);
    ConsoleEnd(const ConsoleEnd&) = delete;
    ConsoleEnd& operator=(const ConsoleEnd&) = delete;
    ~ConsoleEnd();

    bool isOpen() const { return fd_ >= 0; }
    void send(const std::vector<std::uint8_t>& bytes);

    // Up to `count` bytes, waiting at most `limit` for them.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds limit);
    // Whatever arrives until the line has been quiet for `quiet`.
    std::vector<std::uint8_t> receiveUntilQuiet(std::chrono::milliseconds quiet);
    // False when the other end has gone (read error or hang-up) within `limit`.
    bool lineAlive(std::chrono::milliseconds limit);

private:
    int fd_ = -1;
};
