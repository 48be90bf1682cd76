#include "serial/posix/descriptor_transfers.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "serial/serial_port.h"

namespace kt::serial::posix {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kReadInterByteGap{kTransferLimits.readGapMs};

milliseconds readTotalLimit(std::size_t count)
{
    return milliseconds(kTransferLimits.readPerByteMs * count + kTransferLimits.readBaseMs);
}

milliseconds writeTotalLimit(std::size_t count)
{
    return milliseconds(kTransferLimits.writePerByteMs * count + kTransferLimits.writeBaseMs);
}

}  // namespace

Readiness waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const Clock::duration remaining = deadline - Clock::now();
        if (remaining <= Clock::duration::zero())
            return Readiness::TimedOut;
        // Rounded up, so that poll does not wake just short of the deadline and spin.
        const auto timeoutMs = std::min<milliseconds::rep>(
            std::chrono::ceil<milliseconds>(remaining).count(), std::numeric_limits<int>::max());
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(timeoutMs));
        if (ready < 0 && errno != EINTR)
            return Readiness::Failed;
        if (ready > 0)
            return (watched.revents & events) ? Readiness::Ready : Readiness::Failed;
    }
}

std::uint32_t queuedBytes(int fd)
{
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) != 0 || queued < 0)
        return 0;
    return static_cast<std::uint32_t>(queued);
}

ReadOutcome readWithinLimits(int fd, std::span<std::uint8_t> buffer)
{
    const Clock::time_point totalDeadline = Clock::now() + readTotalLimit(buffer.size());
    Clock::time_point deadline = totalDeadline;
    ReadOutcome outcome;
    while (outcome.count < buffer.size()) {
        const Readiness readiness = waitFor(fd, POLLIN, deadline);
        if (readiness != Readiness::Ready) {
            outcome.hungUp = readiness == Readiness::Failed;
            break;
        }
        const ssize_t count = ::read(fd, buffer.data() + outcome.count, buffer.size() - outcome.count);
        if (count > 0) {
            outcome.count += static_cast<std::size_t>(count);
            deadline = std::min(totalDeadline, Clock::now() + kReadInterByteGap);
        } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            outcome.hungUp = true;  // closed, or the device is gone (EIO, ENXIO): keep what arrived
            break;
        }
    }
    return outcome;
}

bool writeWithinLimits(int fd, std::span<const std::uint8_t> bytes, WriteCall writeCall)
{
    const Clock::time_point deadline = Clock::now() + writeTotalLimit(bytes.size());
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = writeCall(fd, bytes.data() + sent, bytes.size() - sent);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
            continue;
        }
        const bool interrupted = count < 0 && errno == EINTR;
        const bool queueFull = count < 0 && errno == EAGAIN;
        if (!interrupted && !(queueFull && waitFor(fd, POLLOUT, deadline) == Readiness::Ready))
            return false;
    }
    return true;
}

}  // namespace kt::serial::posix
