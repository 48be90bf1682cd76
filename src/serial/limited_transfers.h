#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "serial/serial_port.h"

// The transfers every non-blocking port makes, within the time limits that SerialPort
// promises: a terminal and a network connection, on any platform, keep the same rules. Each
// port brings its own wait and its own single attempt.
namespace kt::serial {

using Clock = std::chrono::steady_clock;

enum class Readiness { Ready, TimedOut, Failed };

// What one non-blocking attempt to move bytes did: moved `count` bytes, or none because the
// channel has ended (closed, gone, failed), or none for now (wait, then try again).
struct TransferStep {
    std::size_t count = 0;
    bool ended = false;
};

struct ReadOutcome {
    std::size_t count = 0;
    bool hungUp = false;  // the other end closed, or the device is gone
};

// Reads into `buffer` until it is full, or the read limits pass: `waitReadable(deadline)`
// returns a Readiness, `readSome(span)` a TransferStep. A wait that fails or an attempt that
// finds the channel ended is a hang-up; what arrived before it is kept.
template <class WaitReadable, class ReadSome>
ReadOutcome readWithinLimits(std::span<std::uint8_t> buffer, WaitReadable waitReadable, ReadSome readSome)
{
    using std::chrono::milliseconds;
    const Clock::time_point totalDeadline =
        Clock::now() + milliseconds(kTransferLimits.readPerByteMs * buffer.size() + kTransferLimits.readBaseMs);
    Clock::time_point deadline = totalDeadline;
    ReadOutcome outcome;
    while (outcome.count < buffer.size()) {
        const Readiness readiness = waitReadable(deadline);
        if (readiness != Readiness::Ready) {
            outcome.hungUp = readiness == Readiness::Failed;
            break;
        }
        const TransferStep step = readSome(buffer.subspan(outcome.count));
        if (step.count > 0) {
            outcome.count += step.count;
            deadline = std::min(totalDeadline, Clock::now() + milliseconds(kTransferLimits.readGapMs));
        } else if (step.ended) {
            outcome.hungUp = true;
            break;
        }
    }
    return outcome;
}

// Writes all of `bytes` within the write limit: `writeSome(span)` returns a TransferStep,
// `waitWritable(deadline)` a Readiness. False when it timed out, hung up or failed.
template <class WriteSome, class WaitWritable>
bool writeWithinLimits(std::span<const std::uint8_t> bytes, WriteSome writeSome, WaitWritable waitWritable)
{
    const Clock::time_point deadline = Clock::now()
        + std::chrono::milliseconds(kTransferLimits.writePerByteMs * bytes.size() + kTransferLimits.writeBaseMs);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const TransferStep step = writeSome(bytes.subspan(sent));
        sent += step.count;
        if (step.ended || (step.count == 0 && waitWritable(deadline) != Readiness::Ready))
            return false;
    }
    return true;
}

}  // namespace kt::serial
