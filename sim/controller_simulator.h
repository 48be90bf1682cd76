#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "sim/controller_device.h"
#include "sim/fault.h"
#include "sim/frame_assembler.h"
#include "sim/outbox.h"
#include "sim/outcome.h"
#include "sim/pseudo_terminal.h"

namespace kt::sim {

// A leak detection controller on a pseudo-terminal, served from its own thread: it cuts the
// console's requests into frames, records them, and answers like the controller, with the
// timing and faults a test asks for. Every public member may be called from any thread.
class ControllerSimulator {
public:
    ControllerSimulator();
    ControllerSimulator(const ControllerSimulator&) = delete;
    ControllerSimulator& operator=(const ControllerSimulator&) = delete;
    ~ControllerSimulator();

    // Opens a fresh pseudo-terminal (and the symlink, if given) and starts serving. After a
    // stop this is a reconnect: a new device, the same controller state.
    Outcome start(const std::string& linkPath = {});
    // Stops serving and closes the pseudo-terminal: to the console the device vanishes.
    void stop();
    bool isRunning() const { return running_; }
    // The slave device to open as the serial port; empty while stopped.
    std::string devicePath() const;

    // Runs `use` on the controller under the simulator's lock and returns its result by value,
    // e.g. sim.withDevice([](ControllerDevice& d) { d.setStatusCodes(0, 1); }).
    template <typename Use>
    std::decay_t<std::invoke_result_t<Use, ControllerDevice&>> withDevice(Use&& use)
    {
        std::lock_guard lock(mutex_);
        return use(device_);
    }

    // Added to every reply before it starts.
    void setReplyDelay(std::chrono::milliseconds delay);
    // The line at the wire speed of `baud` (10 bits a byte): a request is heard when its last
    // byte would have arrived, and replies go out byte by byte. Nothing means at once.
    void setBytePacing(std::optional<int> baud);
    // How long the line must be quiet before an unfinished frame is given up.
    void setIdleGap(std::chrono::milliseconds gap);

    void addFault(FaultRule rule);
    void clearFaults();
    // Sends `bytes` unasked, right now: line noise, or a reply arriving late.
    void injectBytes(Bytes bytes);

    // Everything received since the last clear, cut into frames, in order; bytes that formed
    // no well-formed request are included, and marked so in the log.
    std::vector<Bytes> receivedFrames() const;
    std::vector<ReceivedFrame> receivedFrameLog() const;
    void clearReceivedFrames();
    // True once `count` frames have been received, false if `timeout` passes first.
    bool waitForFrames(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    using SteadyClock = std::chrono::steady_clock;

    void serve(int masterFd, int wakeFd);
    // How long the server may sleep: to the microsecond, since a paced reply's bytes are
    // about a millisecond apart.
    timespec pollTimeout(SteadyClock::time_point now) const;
    void receive(std::span<const std::uint8_t> bytes, SteadyClock::time_point now);
    void answer(const ReceivedFrame& frame, SteadyClock::time_point now);
    void wakeServer() const;  // with mutex_ held

    mutable std::mutex mutex_;
    mutable std::condition_variable frameReceived_;
    ControllerDevice device_;
    PseudoTerminal terminal_;
    FrameAssembler assembler_;
    Outbox outbox_;
    FaultQueue faults_;
    std::vector<ReceivedFrame> received_;
    std::chrono::milliseconds replyDelay_{0};
    std::optional<std::chrono::microseconds> byteTime_;

    std::mutex lifecycle_;  // start and stop, one at a time
    std::thread server_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    // A pipe that interrupts the server's wait: for a stop, or bytes to send at once. Both
    // ends are non-blocking: a wake-up never waits for the server, and the server empties the
    // pipe without waiting for more.
    int wakeWriteFd_ = -1;  // guarded by mutex_
    int wakeReadFd_ = -1;
};

}  // namespace kt::sim
