#include "link/link.h"

namespace kt::link {

void Link::drain()
{
    serial::drainInput(port_, observer_);
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
                                           replyLength, waitMs, observer_, beforeRead);
    switch (reply.status) {
    case serial::ReplyStatus::ShortReply: return Failure::ShortReply;
    case serial::ReplyStatus::BadChecksum: return Failure::BadChecksum;
    case serial::ReplyStatus::Accepted: break;
    }
    reply_ = std::move(reply.bytes);
    return std::nullopt;
}

}  // namespace kt::link
