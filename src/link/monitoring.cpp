#include "link/monitoring.h"

namespace kt::link {

Monitoring::Monitoring(Link& link) : link_(link)
{
    link_.drain();
}

StationReading Monitoring::poll(std::uint8_t station, const PollReport& report,
                                const std::function<void()>& beforeStatusRead)
{
    return detail::poll(link_, station,
                        {.firstStaleInput = StaleInput::Discard,
                         .laterStaleInput = StaleInput::Discard,
                         .replyWaitMs = device::kMonitoringReplyWaitMs,
                         .beforeStatusRead = beforeStatusRead,
                         .stopAtFailedDistance = false},
                        report);
}

}  // namespace kt::link
