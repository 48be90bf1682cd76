#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <variant>

#include "device/command.h"
#include "serial/exchange.h"
#include "serial/serial_port.h"

// Runs the controller's commands over a serial port: the one place where a request meets its
// reply length, its wait and its decoder.
namespace kt::link {

// Why a command has no value.
enum class Failure {
    ShortReply,   // fewer bytes than the reply length arrived, none at all included
    BadChecksum,  // the reply had its full length but its checksum failed
};

// A command's decoded value, or why there is none.
template <typename Value>
class Result {
public:
    Result(Value value) : outcome_(std::move(value)) {}  // NOLINT: implicit by design
    Result(Failure failure) : outcome_(failure) {}       // NOLINT: implicit by design

    bool ok() const { return std::holds_alternative<Value>(outcome_); }
    explicit operator bool() const { return ok(); }
    const Value& operator*() const { return std::get<Value>(outcome_); }
    const Value* operator->() const { return &std::get<Value>(outcome_); }
    Failure failure() const { return std::get<Failure>(outcome_); }

private:
    std::variant<Value, Failure> outcome_;
};

using device::StaleInput;

// How a routine runs a command where it differs from the command's own description.
struct Steps {
    // None: as the command describes.
    std::optional<StaleInput> staleInput = std::nullopt;
    // Runs between the reply wait and the read of the reply (the monitoring's period).
    std::function<void()> beforeRead = nullptr;
};

// A serial port, optionally who watches its traffic, and how its waits notice the input.
// The window keeps the default, the 2 ms polling steps, which also keep the line quiet for
// at least 2 ms after each reply; kt5270 makes its link with the readiness wait.
class Link {
public:
    explicit Link(serial::SerialPort& port, serial::TrafficObserver* observer = nullptr,
                  serial::WaitStyle waitStyle = serial::WaitStyle::PollingSteps)
        : port_(port), observer_(observer), waitStyle_(waitStyle)
    {
    }

    // Waits the drain time for stale input and throws it away.
    void drain();

    // Sends another master's whole request `frame` as it is, and returns what the bus answers
    // until `deadline`. The answer ends as soon as its last bytes form the request's whole
    // reply (`replyLength` bytes, or an exception reply), which alone is returned: anything
    // in front of it is a late reply to an earlier request. An answer of at least
    // `replyLength` bytes that forms none ends once the bus has been silent for `silence`; a
    // shorter one is waited for past any pause, a loaded machine may split a reply. Nothing
    // else is judged: the other master does that. Only what came by the deadline is returned,
    // at once; an answer that did not end whole may still be on its way, so the next exchange
    // or relay drains the line first, whatever its own way with stale input.
    device::Bytes relay(std::span<const std::uint8_t> frame, std::size_t replyLength,
                        std::chrono::steady_clock::time_point deadline,
                        std::chrono::microseconds silence);

    // Sends `command` to `station` and returns its decoded reply.
    template <typename Value>
    Result<Value> run(std::uint8_t station, const device::Command<Value>& command,
                      const Steps& steps = {})
    {
        const std::optional<Failure> failure =
            exchange(station, command.request, command.replyLength, command.replyWaitMs,
                     steps.staleInput.value_or(command.staleInput), steps.beforeRead);
        if (failure)
            return *failure;
        return command.decode(reply_);
    }

private:
    // Leaves an accepted reply in reply_.
    std::optional<Failure> exchange(std::uint8_t station, const device::Bytes& request,
                                    std::size_t replyLength, std::uint32_t waitMs,
                                    StaleInput staleInput, const std::function<void()>& beforeRead);

    // Deals with input waiting before a request: drains it after a relay that did not end
    // whole, otherwise as `staleInput` says.
    void settleLine(StaleInput staleInput);

    serial::SerialPort& port_;
    serial::TrafficObserver* observer_;
    serial::WaitStyle waitStyle_;
    device::Bytes reply_;
    bool lateReplyPossible_ = false;  // a relayed answer ended without its whole reply
};

}  // namespace kt::link
