#include "ui/traffic_log.h"

namespace kt::ui {

const TrafficRow& TrafficSnapshot::operator[](std::size_t index) const
{
    const std::size_t slot = firstInBlock_ + index;
    return (*blocks_[slot / kTrafficBlockRows])[slot % kTrafficBlockRows];
}

void TrafficLog::append(TrafficRow row)
{
    // A block the log lets go of is freed after the lock is released.
    std::shared_ptr<TrafficBlock> released;
    std::lock_guard lock(mutex_);
    // Each slot is written once, past every snapshot's end, so snapshots read without the lock.
    const std::size_t slot = firstInBlock_ + size_;
    if (slot == blocks_.size() * kTrafficBlockRows)
        blocks_.push_back(std::make_shared<TrafficBlock>());
    (*blocks_[slot / kTrafficBlockRows])[slot % kTrafficBlockRows] = std::move(row);
    ++endSequence_;
    if (size_ < kCapacity) {
        ++size_;
        return;
    }
    ++droppedCount_;
    if (++firstInBlock_ == kTrafficBlockRows) {
        released = std::move(blocks_.front());
        blocks_.pop_front();
        firstInBlock_ = 0;
    }
}

TrafficSnapshot TrafficLog::snapshot() const
{
    TrafficSnapshot snapshot;
    std::lock_guard lock(mutex_);
    snapshot.blocks_.assign(blocks_.begin(), blocks_.end());
    snapshot.firstInBlock_ = firstInBlock_;
    snapshot.size_ = size_;
    snapshot.firstSequence_ = endSequence_ - size_;
    snapshot.droppedCount_ = droppedCount_;
    return snapshot;
}

void TrafficLog::clear()
{
    std::deque<std::shared_ptr<TrafficBlock>> released;
    std::lock_guard lock(mutex_);
    released.swap(blocks_);
    firstInBlock_ = 0;
    size_ = 0;
    droppedCount_ = 0;
}

}  // namespace kt::ui
