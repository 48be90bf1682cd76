#pragma once

#include <cstdint>
#include <functional>

#include "device/channel_status.h"
#include "link/link.h"
#include "ui/worker_thread.h"

namespace kt::ui {

// What the monitoring shares with the window. The start command fills address and period and
// resets the counters before the worker starts; afterwards only the worker writes, and the
// window reads only inside the notification handlers. The run flag is the worker thread's own,
// so that a stop also cuts the pause short.
struct MonitorShared {
    std::uint8_t address = 0;
    int periodMs = 0;
    device::PerChannel<device::ChannelState> channels;
    std::int32_t successCount = 0;
    std::int32_t failureCount = 0;
};

// The window's handlers for the worker's three notifications.
struct MonitorDisplay {
    std::function<void()> showCounters;
    std::function<void()> showChannelStates;
    std::function<void()> showLeakDistances;
};

// Polls the controller until the run flag is cleared: each cycle reads the status word and
// the leak distance of every channel in leak, stores what it received, has the window show
// it, and counts the cycle as a success or a failure.
void runMonitorWorker(link::Link& link, MonitorShared& shared, WorkerThread& thread,
                      const MonitorDisplay& display);

}  // namespace kt::ui
