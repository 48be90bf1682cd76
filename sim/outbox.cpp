#include "sim/outbox.h"

namespace kt::sim {

void Outbox::schedule(std::vector<std::uint8_t> bytes, TimePoint due)
{
    if (!bytes.empty())
        pending_.emplace(due, std::move(bytes));
}

void Outbox::schedulePaced(const std::vector<std::uint8_t>& bytes, TimePoint start, std::chrono::microseconds byteTime)
{
    TimePoint due = start;
    for (std::uint8_t byte : bytes) {
        due += byteTime;
        pending_.emplace(due, std::vector<std::uint8_t>{byte});
    }
}

std::vector<std::vector<std::uint8_t>> Outbox::takeDue(TimePoint now)
{
    std::vector<std::vector<std::uint8_t>> due;
    const auto end = pending_.upper_bound(now);
    for (auto entry = pending_.begin(); entry != end; ++entry)
        due.push_back(std::move(entry->second));
    pending_.erase(pending_.begin(), end);
    return due;
}

std::optional<Outbox::TimePoint> Outbox::nextDue() const
{
    if (pending_.empty())
        return std::nullopt;
    return pending_.begin()->first;
}

}  // namespace kt::sim
