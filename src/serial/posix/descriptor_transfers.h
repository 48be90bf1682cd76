#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <sys/types.h>

#include "serial/limited_transfers.h"

// The transfers every POSIX port makes on its non-blocking descriptor, within the limits of
// limited_transfers.h.
namespace kt::serial::posix {

// Waits until `fd` reports `events` or `deadline` passes. A signal only restarts the wait;
// a hang-up or error without the wanted event is a failure, so callers never spin on it.
Readiness waitFor(int fd, short events, Clock::time_point deadline);

// Bytes received and not yet read; 0 when the descriptor cannot tell.
std::uint32_t queuedBytes(int fd);

// Reads into `buffer` within the read time limits.
ReadOutcome readWithinLimits(int fd, std::span<std::uint8_t> buffer);

// A call that writes as write(2) does: ::write for a terminal, a send without SIGPIPE for a socket.
using WriteCall = ssize_t (*)(int fd, const void* bytes, std::size_t count);

// Writes all of `bytes` within the write time limit; false when it timed out, hung up or failed.
bool writeWithinLimits(int fd, std::span<const std::uint8_t> bytes, WriteCall writeCall);

}  // namespace kt::serial::posix
