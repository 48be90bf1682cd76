#include "link/link.h"

#include <algorithm>
#include <thread>

namespace kt::link {
namespace {

using Clock = std::chrono::steady_clock;

// How often a relay looks at the input: well under a character time at the fastest speed.
constexpr std::chrono::microseconds kRelayLook{200};

}  // namespace

void Link::drain()
{
    serial::drainInput(port_, observer_, waitStyle_);
}

device::Bytes Link::relay(std::span<const std::uint8_t> frame, std::uint32_t waitMs,
                          std::chrono::microseconds silence)
{
    serial::discardQueuedInput(port_, observer_);
    serial::sendFrame(port_, frame, observer_);
    device::Bytes reply;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMs);
    Clock::time_point lastByte;
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
        const std::size_t queued = std::min<std::size_t>(port_.queuedInputCount(),
                                                         serial::kReceiveBufferSize - reply.size());
        if (queued > 0) {
            const std::size_t old = reply.size();
            reply.resize(old + queued);
            reply.resize(old + port_.read(std::span(reply).subspan(old)));
            lastByte = Clock::now();
        } else if (!reply.empty() && now - lastByte >= silence) {
            break;
        }
        if (reply.size() == serial::kReceiveBufferSize)
            break;
        std::this_thread::sleep_for(kRelayLook);
    }
    return reply;
}

std::optional<Failure> Link::exchange(std::uint8_t station, const device::Bytes& request,
                                      std::size_t replyLength, std::uint32_t waitMs,
                                      StaleInput staleInput,
                                      const std::function<void()>& beforeRead)
{
    switch (staleInput) {
    case StaleInput::Drain: drain(); break;
    case StaleInput::Discard: serial::discardQueuedInput(port_, observer_); break;
    case StaleInput::Keep: break;
    }
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
