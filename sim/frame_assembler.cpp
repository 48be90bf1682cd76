#include "sim/frame_assembler.h"

#include "sim/checksum.h"
#include "sim/wire_format.h"

namespace kt::sim {

std::vector<ReceivedFrame> FrameAssembler::feed(std::span<const std::uint8_t> bytes, TimePoint now)
{
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    lastByteAt_ = now;
    std::vector<ReceivedFrame> frames;
    while (!pending_.empty()) {
        if (const auto length = wellFormedLengthAt(0)) {
            frames.push_back(take(*length, true));
            continue;
        }
        std::size_t garbage = 1;
        while (garbage < pending_.size() && !wellFormedLengthAt(garbage))
            ++garbage;
        // Without a request behind it the head may still be one in the making; a buffer
        // longer than any request holds garbage in front whatever comes.
        const bool requestFollows = garbage < pending_.size();
        const std::size_t surplus = pending_.size() > kLongestRequestBytes ? pending_.size() - kLongestRequestBytes : 0;
        if (!requestFollows && surplus == 0)
            break;
        frames.push_back(take(requestFollows ? garbage : surplus, false));
    }
    return frames;
}

std::optional<ReceivedFrame> FrameAssembler::expire(TimePoint now)
{
    const auto deadline = idleDeadline();
    if (!deadline || now < *deadline)
        return std::nullopt;
    return take(pending_.size(), false);
}

std::optional<FrameAssembler::TimePoint> FrameAssembler::idleDeadline() const
{
    if (pending_.empty())
        return std::nullopt;
    return lastByteAt_ + idleGap_;
}

std::optional<std::size_t> FrameAssembler::wellFormedLengthAt(std::size_t offset) const
{
    const std::span<const std::uint8_t> rest = std::span{pending_}.subspan(offset);
    if (rest.size() < kRequestHeaderBytes)
        return std::nullopt;
    const auto length = requestLength(rest.first<kRequestHeaderBytes>());
    if (!length || rest.size() < *length || !endsWithChecksum(rest.first(*length)))
        return std::nullopt;
    return length;
}

ReceivedFrame FrameAssembler::take(std::size_t length, bool wellFormed)
{
    ReceivedFrame frame{{pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length)}, wellFormed};
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    return frame;
}

}  // namespace kt::sim
