#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "link/traffic_row.h"

// The communication log: every byte the console moves over the port, kept from start-up on so
// that after a failure it already holds what happened. Qt-free; the window reads it through
// snapshots.
namespace kt::ui {

using link::TrafficDirection;
using link::TrafficRow;
using link::TrafficSource;

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

// Records one source's traffic into the log.
class TrafficRecorder final : public link::TrafficRowObserver {
public:
    TrafficRecorder(TrafficLog& log, TrafficSource source) : TrafficRowObserver(source), log_(log) {}

private:
    void record(TrafficRow row) override { log_.append(std::move(row)); }

    TrafficLog& log_;
};

}  // namespace kt::ui
