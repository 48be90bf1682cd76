#include "ui/monitor_worker.h"

#include "link/channel_poll.h"

namespace kt::ui {

using device::Channel;
using device::ChannelStatus;

void runMonitorWorker(link::Link& link, MonitorShared& shared, WorkerThread& thread,
                      const MonitorDisplay& display)
{
    // Whatever is queued before a request is stale, a late reply or line noise: thrown away,
    // it cannot be taken for the reply to this request. The communication period is a pause
    // between the status word's request and the read of its reply.
    const link::PollSteps steps{
        .staleInput = link::StaleInput::Discard,
        .replyWaitMs = device::kMonitoringReplyWaitMs,
        .beforeStatusRead = [&] { thread.pause(std::chrono::milliseconds(shared.periodMs)); },
        .stopAtFailedDistance = false};
    const link::PollReport report{
        .statusRead =
            [&](Channel channel, ChannelStatus status) {
                shared.stateOf(channel).status = static_cast<std::uint8_t>(status);
                thread.notify(display.showChannelStates);
            },
        .distanceRead =
            [&](Channel channel, std::uint16_t hundredths) {
                shared.stateOf(channel).leakDistance = hundredths;
                thread.notify(display.showLeakDistances);
            }};

    link.drain();
    while (thread.isRunning()) {
        const bool failed = link::pollChannels(link, shared.address, steps, report).has_value();
        ++(failed ? shared.failureCount : shared.successCount);
        thread.notify(display.showCounters);
    }
}

}  // namespace kt::ui
