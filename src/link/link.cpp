#include "link/link.h"

#include <algorithm>
#include <thread>

namespace kt::link {
namespace {

using Clock = std::chrono::steady_clock;

// How often a relay looks at the input: well under a character time at the fastest speed.
constexpr std::chrono::microseconds kRelayLook{200};

// The request's whole reply, when the last bytes of `answer` form it: of the reply's full
// length, or an exception reply.
std::optional<device::Bytes> wholeReplyAtEnd(std::span<const std::uint8_t> request,
                                             std::span<const std::uint8_t> answer,
                                             std::size_t replyLength)
{
    for (const std::size_t length : {replyLength, serial::kExceptionReplyLength}) {
        if (answer.size() < length)
            continue;
        const std::span<const std::uint8_t> tail = answer.last(length);
        const serial::ReplyVerdict verdict = serial::judgeReply(request, tail, replyLength).verdict;
        if (verdict == serial::ReplyVerdict::Accepted || verdict == serial::ReplyVerdict::Exception)
            return device::Bytes(tail.begin(), tail.end());
    }
    return std::nullopt;
}

}  // namespace

void Link::drain()
{
    serial::drainInput(port_, observer_, waitStyle_);
}

device::Bytes Link::relay(std::span<const std::uint8_t> frame, std::size_t replyLength,
                          Clock::time_point deadline, std::chrono::microseconds silence)
{
    settleLine(StaleInput::Discard);
    serial::sendFrame(port_, frame, observer_);
    device::Bytes answer;
    Clock::time_point lastByte;
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        const std::size_t queued = std::min<std::size_t>(port_.queuedInputCount(),
                                                         serial::kReceiveBufferSize - answer.size());
        if (queued > 0) {
            const std::size_t old = answer.size();
            answer.resize(old + queued);
            answer.resize(old + port_.read(std::span(answer).subspan(old)));
            lastByte = Clock::now();
            if (const std::optional<device::Bytes> reply = wholeReplyAtEnd(frame, answer, replyLength))
                return *reply;
        } else if (answer.size() >= replyLength && now - lastByte >= silence) {
            break;
        }
        if (answer.size() == serial::kReceiveBufferSize)
            break;
        std::this_thread::sleep_for(kRelayLook);
    }
    lateReplyPossible_ = true;
    return answer;
}

void Link::settleLine(StaleInput staleInput)
{
    if (std::exchange(lateReplyPossible_, false))
        staleInput = StaleInput::Drain;
    switch (staleInput) {
    case StaleInput::Drain: drain(); break;
    case StaleInput::Discard: serial::discardQueuedInput(port_, observer_); break;
    case StaleInput::Keep: break;
    }
}

std::optional<Failure> Link::exchange(std::uint8_t station, const device::Bytes& request,
                                      std::size_t replyLength, std::uint32_t waitMs,
                                      StaleInput staleInput,
                                      const std::function<void()>& beforeRead)
{
    settleLine(staleInput);
    serial::Reply reply = serial::transact(port_, serial::frameRequest(station, request),
                                           replyLength, waitMs, observer_, beforeRead, waitStyle_);
    switch (reply.status) {
    case serial::ReplyStatus::ShortReply: return Failure::ShortReply;
    case serial::ReplyStatus::BadChecksum: return Failure::BadChecksum;
    case serial::ReplyStatus::Accepted: break;
    }
    reply_ = std::move(reply.bytes);
    return std::nullopt;
}

}  // namespace kt::link
