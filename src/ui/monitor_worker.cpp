#include "ui/monitor_worker.h"

#include "link/monitoring.h"

namespace kt::ui {

using device::Channel;
using device::ChannelStatus;

void runMonitorWorker(link::Link& link, MonitorShared& shared, WorkerThread& thread,
                      const MonitorDisplay& display)
{
    const link::PollReport report{
        .statusRead =
            [&](Channel channel, ChannelStatus status) {
                shared.channels[channel].status = static_cast<std::uint8_t>(status);
                thread.notify(display.showChannelStates);
            },
        .distanceRead =
            [&](Channel channel, std::uint16_t hundredths) {
                shared.channels[channel].leakDistance = hundredths;
                thread.notify(display.showLeakDistances);
            }};
    // The communication period is a pause between the status word's request and the read of
    // its reply.
    const auto period = [&] { thread.pause(std::chrono::milliseconds(shared.periodMs)); };

    link::Monitoring monitoring(link);
    while (thread.isRunning()) {
        const bool failed = monitoring.poll(shared.address, report, period).failure.has_value();
        ++(failed ? shared.failureCount : shared.successCount);
        thread.notify(display.showCounters);
    }
}

}  // namespace kt::ui
