#include "link/traffic_row.h"

#include <algorithm>
#include <limits>

namespace kt::link {

TrafficRow TrafficRowObserver::row(TrafficDirection direction, std::span<const std::uint8_t> bytes) const
{
    return {.time = std::chrono::system_clock::now(),
            .source = source_,
            .direction = direction,
            .bytes = {bytes.begin(), bytes.end()}};
}

void TrafficRowObserver::sent(std::span<const std::uint8_t> frame)
{
    record(row(TrafficDirection::Sent, frame));
}

void TrafficRowObserver::received(const serial::ObservedReply& reply)
{
    TrafficRow received = row(TrafficDirection::Received, reply.bytes);
    received.verdict = reply.verdict;
    received.code = reply.code;
    received.expectedLength = static_cast<std::uint16_t>(reply.expectedLength);
    received.responseTimeMs = static_cast<std::uint32_t>(std::clamp<std::chrono::milliseconds::rep>(
        reply.responseTime.count(), 0, std::numeric_limits<std::uint32_t>::max()));
    record(std::move(received));
}

void TrafficRowObserver::discarded(std::span<const std::uint8_t> staleBytes)
{
    record(row(TrafficDirection::Discarded, staleBytes));
}

void TrafficRowObserver::peerClosed()
{
    record(row(TrafficDirection::Closed, {}));
}

}  // namespace kt::link
