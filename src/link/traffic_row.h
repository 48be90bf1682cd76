#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "serial/exchange.h"

// The rows of a communication log: what each exchange moved, who moved it, and for a reply
// what it was. The window keeps them; the command-line tool traces them.
namespace kt::link {

// Who moved the bytes.
enum class TrafficSource : std::uint8_t { Command, Monitoring, Search };

enum class TrafficDirection : std::uint8_t {
    Sent,
    Received,   // a reply, with its verdict and response time
    Discarded,  // stale input thrown away before a request
    Closed,     // the device server closed the connection; no bytes
};

struct TrafficRow {
    std::chrono::system_clock::time_point time;
    TrafficSource source = TrafficSource::Command;
    TrafficDirection direction = TrafficDirection::Sent;
    // For a reply only: as serial::ObservedReply tells it.
    serial::ReplyVerdict verdict = serial::ReplyVerdict::Accepted;
    std::uint8_t code = 0;
    std::uint16_t expectedLength = 0;
    std::uint32_t responseTimeMs = 0;
    std::vector<std::uint8_t> bytes;
};

// Turns what one source's exchanges move into rows, each stamped with the time it happens.
class TrafficRowObserver : public serial::TrafficObserver {
public:
    explicit TrafficRowObserver(TrafficSource source) : source_(source) {}

    void sent(std::span<const std::uint8_t> frame) override;
    void received(const serial::ObservedReply& reply) override;
    void discarded(std::span<const std::uint8_t> staleBytes) override;
    void peerClosed() override;

protected:
    // Called on the exchange's thread: quick, and never waiting for another thread.
    virtual void record(TrafficRow row) = 0;

private:
    TrafficRow row(TrafficDirection direction, std::span<const std::uint8_t> bytes) const;

    TrafficSource source_;
};

}  // namespace kt::link
