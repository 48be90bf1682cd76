#pragma once

#include <memory>

#include "device/channel.h"
#include "device/channel_status.h"
#include "ui/monitor_worker.h"
#include "ui/traffic_log.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"
#include "ui/worker_button.h"

class QLabel;
class QLineEdit;

namespace kt::ui {

struct LampImages;

// The band's controls, each named by its id.
inline constexpr int ChannelALamp = 1035;
inline constexpr int ChannelAStateText = 1036;
inline constexpr int ChannelALeakField = 1037;
inline constexpr int ChannelBLamp = 1038;
inline constexpr int ChannelBStateText = 1039;
inline constexpr int ChannelBLeakField = 1040;
inline constexpr int MonitorButton = 1041;
inline constexpr int PeriodField = 1042;
inline constexpr int SuccessCountText = 1043;
inline constexpr int FailureCountText = 1044;
inline constexpr int SinglePollButton = 1045;

// The channels and monitoring band: each channel's lamp, state and leak point, and the
// monitoring that polls them in the background with its counters. A single poll runs on the
// window's thread; its button is part of the band but never offered to the operator.
class MonitoringPart {
public:
    MonitoringPart(WindowContext& context, WindowLayout& layout, const LampImages& images,
                   TrafficLog& trafficLog);

private:
    struct ChannelWidgets {
        QLabel* lamp;
        QLabel* state;
        QLineEdit* leakPoint;
    };

    void startStop();
    void pollOnce();
    void showCounters();
    void showChannelStates();
    void showLeakDistances();
    void showChannelStatus(device::Channel channel, device::ChannelStatus status);
    void showChannelLamp(const ChannelWidgets& widgets, device::ChannelStatus status);

    WindowContext& context_;
    const LampImages& images_;
    device::PerChannel<ChannelWidgets> channels_{};
    QLineEdit* period_;
    QLabel* successCount_;
    QLabel* failureCount_;
    TrafficRecorder traffic_;
    // Declared after what the worker uses, so that it is stopped and joined first.
    MonitorShared shared_;
    std::unique_ptr<WorkerButton> button_;
};

}  // namespace kt::ui
