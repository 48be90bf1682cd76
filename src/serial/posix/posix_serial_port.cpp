#include "serial/serial_port.h"

#include "serial/line_speeds.h"
#include "serial/posix/port_holders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kt::serial {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kReadInterByteGap{kTransferLimits.readGapMs};

// The character-size, parity and stop-bit fields, and their 8N1 value.
constexpr tcflag_t kFramingBits = CSIZE | PARENB | CSTOPB;
constexpr tcflag_t kEightNoneOne = CS8;

milliseconds readTotalLimit(std::size_t count)
{
    return milliseconds(kTransferLimits.readPerByteMs * count + kTransferLimits.readBaseMs);
}

milliseconds writeTotalLimit(std::size_t count)
{
    return milliseconds(kTransferLimits.writePerByteMs * count + kTransferLimits.writeBaseMs);
}

std::optional<speed_t> termiosSpeed(int baudRate)
{
    switch (baudRate) {
#define KT_TERMIOS_SPEED(rate) \
    case rate: return B##rate;
        KT_LINE_SPEEDS(KT_TERMIOS_SPEED)
#undef KT_TERMIOS_SPEED
    default: return std::nullopt;
    }
}

enum class Readiness { Ready, TimedOut, Failed };

// Waits until `fd` reports `events` or `deadline` passes. A signal only restarts the wait;
// a hang-up or error without the wanted event is a failure, so callers never spin on it.
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

// The descriptor stays non-blocking for its whole life: neither the open nor any transfer
// may hang on a modem line or a stalled adapter, and every wait goes through waitFor().
class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}

    ~PosixSerialPort() override
    {
        if (claimed_) {
            // The exclusive flag belongs to the terminal, not to this descriptor: left set,
            // it would refuse the next open while anything else keeps the terminal open.
            ::ioctl(fd_, TIOCNXCL);
            ::flock(fd_, LOCK_UN);
        }
        ::close(fd_);
    }

    // The advisory lock keeps out every other process that locks, root included (root
    // passes TIOCEXCL); TIOCEXCL also refuses unprivileged programs that do not lock.
    // Returns 0, or the error that refused the lock.
    int claim()
    {
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            return errno;
        claimed_ = true;
        ::ioctl(fd_, TIOCEXCL);  // fails only on non-terminals, which applyLineSettings refuses
        return 0;
    }

    bool applyLineSettings(speed_t speed)
    {
        termios settings{};
        ::tcgetattr(fd_, &settings);  // on failure every field below is still set explicitly
        ::cfmakeraw(&settings);       // no echo, no line editing or signals, no translations
        settings.c_cflag = (settings.c_cflag & ~kFramingBits) | kEightNoneOne | CLOCAL | CREAD;
        // With at least one byte required, a non-blocking read of an empty queue fails with
        // EAGAIN, so a read that returns 0 can only mean the line hung up.
        settings.c_cc[VMIN] = 1;
        settings.c_cc[VTIME] = 0;
        ::cfsetispeed(&settings, speed);
        ::cfsetospeed(&settings, speed);
        if (::tcsetattr(fd_, TCSANOW, &settings) != 0)
            return false;

        // tcsetattr succeeds when any part of the change took; check the parts that matter.
        termios applied{};
        return ::tcgetattr(fd_, &applied) == 0 && ::cfgetospeed(&applied) == speed
               && (applied.c_cflag & kFramingBits) == kEightNoneOne;
    }

    void holdDtrOff()
    {
        int lines = TIOCM_DTR;
        ::ioctl(fd_, TIOCMBIC, &lines);  // pseudo-terminals and some adapters have no DTR
    }

    void purgeQueues() { ::tcflush(fd_, TCIOFLUSH); }

    // A terminal latches no line-error state to clear: with parity checking off a damaged
    // byte simply arrives in the data.
    std::uint32_t queuedInputCount() override
    {
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0)
            return 0;
        return static_cast<std::uint32_t>(queued);
    }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const Clock::time_point totalDeadline = Clock::now() + readTotalLimit(buffer.size());
        Clock::time_point deadline = totalDeadline;
        std::size_t received = 0;
        while (received < buffer.size() && waitFor(fd_, POLLIN, deadline) == Readiness::Ready) {
            const ssize_t count = ::read(fd_, buffer.data() + received, buffer.size() - received);
            if (count > 0) {
                received += static_cast<std::size_t>(count);
                deadline = std::min(totalDeadline, Clock::now() + kReadInterByteGap);
            } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
                break;  // hung up, or the device is gone (EIO, ENXIO): keep what arrived
            }
        }
        return received;
    }

    void write(std::span<const std::uint8_t> bytes) override
    {
        const Clock::time_point deadline = Clock::now() + writeTotalLimit(bytes.size());
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t count = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
            if (count > 0) {
                sent += static_cast<std::size_t>(count);
                continue;
            }
            const bool interrupted = count < 0 && errno == EINTR;
            const bool queueFull = count < 0 && errno == EAGAIN;
            // Timed out, hung up or gone: callers learn of it from the reply that never comes.
            if (!interrupted && !(queueFull && waitFor(fd_, POLLOUT, deadline) == Readiness::Ready))
                return;
        }
    }

private:
    int fd_;
    bool claimed_ = false;
};

// What an error of the open or the lock says about `device`.
OpenFailure failureFrom(int error, const std::string& device)
{
    using Kind = OpenFailure::Kind;
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return OpenFailure(Kind::NoDevice, device);
    case EACCES:
    case EPERM:
        return OpenFailure(Kind::AccessDenied, device);
    case EBUSY:        // another process set TIOCEXCL
    case EWOULDBLOCK:  // another process holds the lock
        return OpenFailure(Kind::InUse, device, posix::processesHolding(device));
    default:
        return OpenFailure(Kind::Other, device, {}, std::generic_category().message(error));
    }
}

}  // namespace

OpenResult openSerialDevice(const std::string& device, int baudRate)
{
    const std::optional<speed_t> speed = termiosSpeed(baudRate);
    if (!speed)
        return OpenFailure(OpenFailure::Kind::UnsupportedSpeed);
    if (device.empty())
        return OpenFailure(OpenFailure::Kind::NoDevice);

    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failureFrom(errno, device);
    auto port = std::make_unique<PosixSerialPort>(fd);
    if (const int error = port->claim(); error != 0)
        return failureFrom(error, device);
    if (!port->applyLineSettings(*speed))
        return OpenFailure(OpenFailure::Kind::SettingsRefused, device);
    port->holdDtrOff();
    port->purgeQueues();  // whatever waited before the open is not for us
    return OpenResult(std::move(port));
}

}  // namespace kt::serial
