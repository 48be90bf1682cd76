#include "serial/serial_port.h"

#include "serial/line_speeds.h"
#include "serial/posix/descriptor_transfers.h"
#include "serial/posix/port_holders.h"
#include "serial/tcp_address.h"
#include "serial/tcp_serial_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kt::serial {
namespace {

using namespace posix;

// The character-size, parity and stop-bit fields, and their 8N1 value.
constexpr tcflag_t kFramingBits = CSIZE | PARENB | CSTOPB;
constexpr tcflag_t kEightNoneOne = CS8;

// How long `count` bytes take on the line: ten bits each (start, eight data bits, stop).
std::chrono::microseconds lineTime(std::uint32_t count, int baudRate)
{
    return std::chrono::microseconds(10'000'000LL * count / baudRate);
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

// The descriptor stays non-blocking for its whole life: neither the open nor any transfer
// may hang on a modem line or a stalled adapter, and every wait goes through waitFor().
class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int fd, int baudRate) : fd_(fd), baudRate_(baudRate) {}

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
    std::uint32_t queuedInputCount() override { return queuedBytes(fd_); }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        return readWithinLimits(fd_, buffer).count;
    }

    // Sleeps in poll() until the first byte; poll would then wake at once, so the rest of a
    // reply gets the time it needs on the line before the count is looked at again. A hung-up
    // line wakes poll at once too, and is slept through the same way, never spun on.
    std::uint32_t waitUntilQueued(std::uint16_t wanted, std::uint32_t limitMs) override
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            std::uint32_t queued = queuedInputCount();
            if (queued >= wanted || Clock::now() >= deadline)
                return queued;
            if (queued == 0) {
                waitFor(fd_, POLLIN, deadline);
                queued = queuedInputCount();
                if (queued >= wanted)
                    return queued;
            }
            std::this_thread::sleep_until(
                std::min(deadline, Clock::now() + lineTime(wanted - queued, baudRate_)));
        }
    }

    // Timed out, hung up or gone: callers learn of it from the reply that never comes.
    void write(std::span<const std::uint8_t> bytes) override
    {
        writeWithinLimits(fd_, bytes, ::write);
    }

private:
    int fd_;
    int baudRate_;
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
    if (namesTcpAddress(device))
        return openTcpPort(device);
    if (device.empty())
        return OpenFailure(OpenFailure::Kind::NoDevice);

    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failureFrom(errno, device);
    auto port = std::make_unique<PosixSerialPort>(fd, baudRate);
    if (const int error = port->claim(); error != 0)
        return failureFrom(error, device);
    if (!port->applyLineSettings(*speed))
        return OpenFailure(OpenFailure::Kind::SettingsRefused, device);
    port->holdDtrOff();
    port->purgeQueues();  // whatever waited before the open is not for us
    return OpenResult(std::move(port));
}

}  // namespace kt::serial
