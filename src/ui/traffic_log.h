#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "serial/exchange.h"

// The communication log: every byte the console moves over the port, kept from start-up on so
// that after a failure it already holds what happened. Qt-free; the window reads it through
// snapshots.
namespace kt::ui {

// Who moved the bytes.
enum class TrafficSource : std::uint8_t { Command, Monitoring, Search };

enum class TrafficDirection : std::uint8_t {
    Sent,
    Received,   // a reply, with its judgement
    Discarded,  // stale input thrown away before a request
    Closed,     // the device server closed the connection; no bytes
};

struct TrafficRow {
    std::chrono::system_clock::time_point time;
    TrafficSource source = TrafficSource::Command;
    TrafficDirection direction = TrafficDirection::Sent;
    // For a reply only: how it was judged, and the length the exchange asked for.
    serial::ReplyStatus status = serial::ReplyStatus::Accepted;
    std::uint16_t expectedLength = 0;
    std::vector<std::uint8_t> bytes;
};

// Rows are stored in blocks that, once a row is written, never change it; a snapshot shares
// the blocks instead of copying rows, so taking one holds the log's lock only briefly.
inline constexpr std::size_t kTrafficBlockRows = 512;
using TrafficBlock = std::array<TrafficRow, kTrafficBlockRows>;

// The rows of the log at one moment. It stays valid and unchanged while recording goes on.
class TrafficSnapshot {
public:
    std::size_t size() const { return size_; }
    const TrafficRow& operator[](std::size_t index) const;
    // Numbers every row ever recorded gets in turn: the first row here has firstSequence().
    std::uint64_t firstSequence() const { return firstSequence_; }
    std::uint64_t endSequence() const { return firstSequence_ + size_; }
    // Rows that made room for newer ones since the log was last cleared.
    std::uint64_t droppedCount() const { return droppedCount_; }

private:
    friend class TrafficLog;

    std::vector<std::shared_ptr<const TrafficBlock>> blocks_;
    std::size_t firstInBlock_ = 0;  // index of the first row in blocks_.front()
    std::size_t size_ = 0;
    std::uint64_t firstSequence_ = 0;
    std::uint64_t droppedCount_ = 0;
};

// Keeps the newest rows, up to kCapacity; the oldest go first. Any thread may append, take a
// snapshot or clear.
class TrafficLog {
public:
    static constexpr std::size_t kCapacity = 10'000;

    void append(TrafficRow row);
    TrafficSnapshot snapshot() const;
    // Empties the log and its dropped count; snapshots already taken keep their rows.
    void clear();

private:
    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<TrafficBlock>> blocks_;
    std::size_t firstInBlock_ = 0;
    std::size_t size_ = 0;
    std::uint64_t endSequence_ = 0;
    std::uint64_t droppedCount_ = 0;
};

// Records one source's traffic into the log, stamped with the time it happens.
class TrafficRecorder final : public serial::TrafficObserver {
public:
    TrafficRecorder(TrafficLog& log, TrafficSource source) : log_(log), source_(source) {}

    void sent(std::span<const std::uint8_t> frame) override;
    void received(const serial::Reply& reply, std::size_t expectedLength) override;
    void discarded(std::span<const std::uint8_t> staleBytes) override;
    void peerClosed() override;

private:
    void record(TrafficDirection direction, std::span<const std::uint8_t> bytes,
                serial::ReplyStatus status = serial::ReplyStatus::Accepted,
                std::size_t expectedLength = 0);

    TrafficLog& log_;
    TrafficSource source_;
};

}  // namespace kt::ui
