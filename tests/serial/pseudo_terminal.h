#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include <QList>
#include <QMetaType>

#include "scoped_environment.h"

namespace kt::serial::test {

using Bytes = std::vector<std::uint8_t>;

// Bytes 0, 1, 2, ... wrapping after 255: every value appears, so any translation shows.
Bytes countingBytes(std::size_t count);

// `count` bytes that the controller sends `afterMs` after its previous burst.
struct Burst {
    int afterMs = 0;
    int count = 0;
};

// A pseudo-terminal standing in for the cable. The console's port opens its terminal side
// as COM<portNumber> (named through KT5270_COM<portNumber>); the test plays the controller
// on the other side.
class PseudoTerminal {
public:
    explicit PseudoTerminal(int portNumber);
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return terminalFd_ >= 0; }

    // Sends as the controller.
    void send(std::span<const std::uint8_t> bytes) const;
    // Sends, then waits until all of it sits in the console's input queue: the kernel hands
    // bytes across a pseudo-terminal asynchronously. False if that takes over a second.
    bool sendQueued(std::span<const std::uint8_t> bytes) const;
    // Sends the bursts from a background thread; destroying the thread waits for the end.
    [[nodiscard]] std::jthread sendInBackground(QList<Burst> bursts) const;

    // What the console wrote, up to `count` bytes, waiting at most `limit` for them.
    Bytes receive(std::size_t count, std::chrono::milliseconds limit) const;

    // Bytes waiting in the console's input queue, seen through the test's own descriptor.
    std::uint32_t queuedForConsole() const;

    // Whether the terminal refuses opens by unprivileged programs (TIOCEXCL); root, which
    // runs these tests in CI, is not refused, so this is checked directly.
    bool isExclusive() const;

    // Fills the console's output queue without ever reading it, so its writes stall.
    void stallConsoleOutput() const;

    // Closes the controller side, as pulling out a USB adapter would.
    void hangUp();

private:
    int controllerFd_ = -1;
    // Held open by the test so that the controller side never sees the line hung up.
    int terminalFd_ = -1;
    std::unique_ptr<ScopedEnvironment> portName_;
};

}  // namespace kt::serial::test

Q_DECLARE_METATYPE(kt::serial::test::Burst)
