#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include <sys/types.h>

// The transfers every POSIX port makes on its non-blocking descriptor, within the time limits
// that SerialPort promises: a terminal and a network connection keep the same rules.
namespace kt::serial::posix {

using Clock = std::chrono::steady_clock;

enum class Readiness { Ready, TimedOut, Failed };

// Waits until `fd` reports `events` or `deadline` passes. A signal only restarts the wait;
// a hang-up or error without the wanted event is a failure, so callers never spin on it.
Readiness waitFor(int fd, short events, Clock::time_point deadline);

// Bytes received and not yet read; 0 when the descriptor cannot tell.
std::uint32_t queuedBytes(int fd);

struct ReadOutcome {
    std::size_t count = 0;
    bool hungUp = false;  // the other end closed, or the device is gone
};

// Reads into `buffer` within the read time limits.
ReadOutcome readWithinLimits(int fd, std::span<std::uint8_t> buffer);

// A call that writes as write(2) does: ::write for a terminal, a send without SIGPIPE for a socket.
using WriteCall = ssize_t (*)(int fd, const void* bytes, std::size_t count);

// Writes all of `bytes` within the write time limit; false when it timed out, hung up or failed.
bool writeWithinLimits(int fd, std::span<const std::uint8_t> bytes, WriteCall writeCall);

}  // namespace kt::serial::posix
