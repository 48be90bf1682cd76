#include "serial/serial_port.h"

#include "serial/line_speeds.h"
#include "serial/posix/descriptor_transfers.h"
#include "serial/posix/port_holders.h"
#include "serial/posix/tcp_serial_port.h"
#include "serial/tcp_address.h"

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
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
    std::uint32_t queuedInputCount() override { return queuedBytes(fd_); }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        return readWithinLimits(fd_, buffer).count;
    }

    // Timed out, hung up or gone: callers learn of it from the reply that never comes.
    void write(std::span<const std::uint8_t> bytes) override
    {
        writeWithinLimits(fd_, bytes, ::write);
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
    if (namesTcpAddress(device))
        return openTcpPort(device);
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
