#include "serial/posix/descriptor_transfers.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kt::serial::posix {
namespace {

// What a read(2) or write(2) that returned `result` did: 0 bytes is the far end's closing, a
// signal or a full queue only asks for another try, any other error (EIO, ENXIO) is a device
// that is gone.
TransferStep stepOf(ssize_t result)
{
    if (result > 0)
        return {static_cast<std::size_t>(result), false};
    return {0, result == 0 || (errno != EAGAIN && errno != EINTR)};
}

}  // namespace

Readiness waitFor(int fd, short events, Clock::time_point deadline)
{
    using std::chrono::milliseconds;
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
    return kt::serial::readWithinLimits(
        buffer, [fd](Clock::time_point deadline) { return waitFor(fd, POLLIN, deadline); },
        [fd](std::span<std::uint8_t> free) { return stepOf(::read(fd, free.data(), free.size())); });
}

bool writeWithinLimits(int fd, std::span<const std::uint8_t> bytes, WriteCall writeCall)
{
    return kt::serial::writeWithinLimits(
        bytes,
        [fd, writeCall](std::span<const std::uint8_t> rest) {
            return stepOf(writeCall(fd, rest.data(), rest.size()));
        },
        [fd](Clock::time_point deadline) { return waitFor(fd, POLLOUT, deadline); });
}

}  // namespace kt::serial::posix
