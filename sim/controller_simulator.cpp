#include "sim/controller_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <tuple>

namespace kt::sim {
namespace {

using namespace std::chrono;

// Modbus's silent interval at 9600 baud is about 4 ms; a little more tolerates a busy host.
constexpr milliseconds kDefaultIdleGap{5};
// The server looks around at least this often, whatever it waits for.
constexpr milliseconds kLongestWait{100};

void writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        // A full input queue on the console's side loses the rest, as an overrun would.
        if (written <= 0)
            return;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

}  // namespace

ControllerSimulator::ControllerSimulator() : assembler_(kDefaultIdleGap) {}

ControllerSimulator::~ControllerSimulator()
{
    stop();
}

Outcome ControllerSimulator::start(const std::string& linkPath)
{
    std::lock_guard lifecycle(lifecycle_);
    if (running_)
        return Outcome::success();
    std::array<int, 2> wakePipe{};
    {
        std::lock_guard lock(mutex_);
        if (Outcome opened = terminal_.open(linkPath); !opened)
            return opened;
        if (pipe2(wakePipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            terminal_.close();
            return Outcome::fromErrno("pipe2");
        }
        wakeReadFd_ = wakePipe[0];
        wakeWriteFd_ = wakePipe[1];
        assembler_.discardPending();
        outbox_.clear();
    }
    stopping_ = false;
    server_ = std::thread(&ControllerSimulator::serve, this, terminal_.masterFd(), wakeReadFd_);
    running_ = true;
    return Outcome::success();
}

void ControllerSimulator::stop()
{
    std::lock_guard lifecycle(lifecycle_);
    if (!running_)
        return;
    stopping_ = true;
    {
        std::lock_guard lock(mutex_);
        wakeServer();
    }
    server_.join();
    std::lock_guard lock(mutex_);
    for (int* fd : {&wakeReadFd_, &wakeWriteFd_}) {
        ::close(*fd);
        *fd = -1;
    }
    terminal_.close();
    running_ = false;
}

std::string ControllerSimulator::devicePath() const
{
    std::lock_guard lock(mutex_);
    return terminal_.devicePath();
}

void ControllerSimulator::setReplyDelay(milliseconds delay)
{
    std::lock_guard lock(mutex_);
    replyDelay_ = delay;
}

void ControllerSimulator::setBytePacing(std::optional<int> baud)
{
    std::lock_guard lock(mutex_);
    byteTime_.reset();
    if (baud && *baud > 0)
        byteTime_ = microseconds{10'000'000 / *baud};
}

void ControllerSimulator::setIdleGap(milliseconds gap)
{
    std::lock_guard lock(mutex_);
    assembler_.setIdleGap(gap);
}

void ControllerSimulator::addFault(FaultRule rule)
{
    std::lock_guard lock(mutex_);
    faults_.add(std::move(rule));
}

void ControllerSimulator::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

void ControllerSimulator::injectBytes(Bytes bytes)
{
    std::lock_guard lock(mutex_);
    outbox_.schedule(std::move(bytes), SteadyClock::now());
    wakeServer();
}

std::vector<Bytes> ControllerSimulator::receivedFrames() const
{
    std::lock_guard lock(mutex_);
    std::vector<Bytes> frames;
    for (const ReceivedFrame& frame : received_)
        frames.push_back(frame.bytes);
    return frames;
}

std::vector<ReceivedFrame> ControllerSimulator::receivedFrameLog() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void ControllerSimulator::clearReceivedFrames()
{
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool ControllerSimulator::waitForFrames(std::size_t count, milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return frameReceived_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

void ControllerSimulator::serve(int masterFd, int wakeFd)
{
    std::array<std::uint8_t, 1024> buffer{};
    while (!stopping_) {
        std::array<pollfd, 2> watched{{{masterFd, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
        timespec timeout{};
        {
            std::lock_guard lock(mutex_);
            timeout = pollTimeout(SteadyClock::now());
        }
        if (ppoll(watched.data(), watched.size(), &timeout, nullptr) < 0 && errno != EINTR)
            return;
        if (watched[1].revents & POLLIN)
            while (::read(wakeFd, buffer.data(), buffer.size()) > 0) {}
        const auto now = SteadyClock::now();
        if (watched[0].revents & POLLIN) {
            const ssize_t count = ::read(masterFd, buffer.data(), buffer.size());
            if (count > 0)
                receive(std::span{buffer}.first(static_cast<std::size_t>(count)), now);
        }
        std::vector<Bytes> due;
        {
            std::lock_guard lock(mutex_);
            if (auto abandoned = assembler_.expire(now)) {
                received_.push_back(std::move(*abandoned));
                frameReceived_.notify_all();
            }
            due = outbox_.takeDue(now);
        }
        for (const Bytes& bytes : due)
            writeAll(masterFd, bytes);
    }
}

timespec ControllerSimulator::pollTimeout(SteadyClock::time_point now) const
{
    SteadyClock::time_point wakeAt = now + kLongestWait;
    for (const auto deadline : {outbox_.nextDue(), assembler_.idleDeadline()}) {
        if (deadline)
            wakeAt = std::min(wakeAt, *deadline);
    }
    const auto wait = ceil<microseconds>(std::max(wakeAt - now, SteadyClock::duration::zero()));
    return {.tv_sec = static_cast<time_t>(wait.count() / 1'000'000), .tv_nsec = static_cast<long>(wait.count() % 1'000'000 * 1000)};
}

void ControllerSimulator::receive(std::span<const std::uint8_t> bytes, SteadyClock::time_point now)
{
    std::lock_guard lock(mutex_);
    for (ReceivedFrame& frame : assembler_.feed(bytes, now)) {
        if (frame.wellFormed)
            answer(frame, now);
        received_.push_back(std::move(frame));
    }
    frameReceived_.notify_all();
}

void ControllerSimulator::answer(const ReceivedFrame& frame, SteadyClock::time_point now)
{
    std::optional<Bytes> reply = device_.answer(frame.bytes);
    if (!reply)
        return;
    const FaultedReply faulted = applyFault(faults_.takeFor(parseRequest(frame.bytes)), std::move(*reply));
    outbox_.schedule(faulted.stale, now);
    const auto heard = byteTime_ ? now + *byteTime_ * static_cast<long>(frame.bytes.size()) : now;
    const auto replyStart = heard + replyDelay_ + faulted.delay;
    if (byteTime_)
        outbox_.schedulePaced(faulted.reply, replyStart, *byteTime_);
    else
        outbox_.schedule(faulted.reply, replyStart);
}

void ControllerSimulator::wakeServer() const
{
    const std::uint8_t signal = 1;
    // A full pipe means a wake-up is pending already, so a failed write changes nothing.
    if (wakeWriteFd_ >= 0)
        std::ignore = ::write(wakeWriteFd_, &signal, 1);
}

}  // namespace kt::sim
