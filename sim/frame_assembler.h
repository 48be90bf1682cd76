#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kt::sim {

// Bytes the simulator received as one unit: a request, or bytes it could not take as one.
struct ReceivedFrame {
    std::vector<std::uint8_t> bytes;
    bool wellFormed = false;  // a known request of the right length with a correct checksum
};

// Cuts the incoming byte stream into requests. Frames carry no length field, so the length
// follows from function code and register. Bytes that do not start a well-formed request are
// split off when a well-formed one follows them, and anything left unfinished when the line
// has been quiet for the idle gap is given up, so that stray bytes never wedge the stream.
class FrameAssembler {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit FrameAssembler(std::chrono::milliseconds idleGap) : idleGap_(idleGap) {}

    void setIdleGap(std::chrono::milliseconds idleGap) { idleGap_ = idleGap; }
    void discardPending() { pending_.clear(); }

    // Adds bytes that arrived at `now` and returns the frames they complete, in order.
    std::vector<ReceivedFrame> feed(std::span<const std::uint8_t> bytes, TimePoint now);

    // When the line has been quiet for the idle gap, the unfinished rest (not well-formed).
    std::optional<ReceivedFrame> expire(TimePoint now);

    // When expire() next has something to give up.
    std::optional<TimePoint> idleDeadline() const;

private:
    std::optional<std::size_t> wellFormedLengthAt(std::size_t offset) const;
    ReceivedFrame take(std::size_t length, bool wellFormed);

    std::chrono::milliseconds idleGap_;
    std::vector<std::uint8_t> pending_;
    TimePoint lastByteAt_{};
};

}  // namespace kt::sim
