#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kt::sim {

// Bytes waiting for their moment on the line, sent in order of due time (and of scheduling
// among equal times).
class Outbox {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    void schedule(std::vector<std::uint8_t> bytes, TimePoint due);
    // Byte by byte, each due when its `byteTime` on the wire has passed.
    void schedulePaced(const std::vector<std::uint8_t>& bytes, TimePoint start, std::chrono::microseconds byteTime);

    std::vector<std::vector<std::uint8_t>> takeDue(TimePoint now);
    std::optional<TimePoint> nextDue() const;
    void clear() { pending_.clear(); }

private:
    std::multimap<TimePoint, std::vector<std::uint8_t>> pending_;
};

}  // namespace kt::sim
