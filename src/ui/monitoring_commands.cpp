#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "device/text_entry.h"
#include "ui/device_text.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {
namespace {

using device::Channel;
using device::ChannelStatus;

struct ChannelWidgets {
    int lamp;
    int stateText;
    int leakField;
};

constexpr ChannelWidgets widgetsOf(Channel channel)
{
    return channel == Channel::A
        ? ChannelWidgets{ChannelALamp, ChannelAStateText, ChannelALeakField}
        : ChannelWidgets{ChannelBLamp, ChannelBStateText, ChannelBLeakField};
}

// The records the notifications show, channel A first as the window lays them out.
struct DisplayedRecord {
    Channel channel;
    device::ChannelState MonitorShared::*state;
};
constexpr DisplayedRecord kDisplayedRecords[] = {{Channel::A, &MonitorShared::channelA},
                                                 {Channel::B, &MonitorShared::channelB}};

}  // namespace

void MainDialog::connectMonitoringCommands()
{
    connect(button(MonitorButton), &QPushButton::clicked, this, &MainDialog::startStopMonitoring);
    connect(button(SinglePollButton), &QPushButton::clicked, this, &MainDialog::pollChannelsOnce);
}

void MainDialog::startStopMonitoring()
{
    if (!port_) {
        showMessage(text::kOpenPortFirstPlain);
        return;
    }
    QPushButton* monitorButton = button(MonitorButton);
    if (monitorButton->text() != text::kStartMonitoring) {
        monitorButton->setText(text::kStartMonitoring.toString());
        monitorWorker_.stop();
        return;
    }
    const auto address = stationAddressForFreePort();
    if (!address)
        return;

    monitorShared_.address = *address;
    monitorShared_.periodMs = device::parsePeriodEntry(edit(PeriodField)->text().toStdString());
    monitorShared_.successCount = 0;
    monitorShared_.failureCount = 0;
    showCounters();
    monitorWorker_.start([this, &port = *port_] {
        runMonitorWorker(port, monitorShared_, monitorWorker_,
                         {.showCounters = [this] { showCounters(); },
                          .showChannelStates = [this] { showChannelStates(); },
                          .showLeakDistances = [this] { showLeakDistances(); }});
    });
    monitorButton->setText(text::kStopMonitoring.toString());
}

// One standard exchange for the status word, then one without a drain for the distance of
// each channel in leak, B before A; a failure ends the poll with what it has shown so far.
void MainDialog::pollChannelsOnce()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto statusWord =
        exchange(*address, device::statusWordRequest(), device::kChannelReadReplyLength);
    if (!statusWord)
        return;
    const device::ChannelCodes codes = device::channelCodes(*statusWord);
    const std::pair<Channel, std::uint8_t> channelsInOrder[] = {
        {Channel::B, codes.channelB}, {Channel::A, codes.channelA}};

    for (const auto& [channel, code] : channelsInOrder) {
        const auto status = device::channelStatus(code);
        if (status && *status != ChannelStatus::Leak)
            showChannelStatus(channel, *status);
    }
    for (const auto& [channel, code] : channelsInOrder) {
        if (device::channelStatus(code) != ChannelStatus::Leak)
            continue;
        showChannelStatus(channel, ChannelStatus::Leak);
        const auto distance = exchange(*address, device::leakDistanceRequest(channel),
                                       device::kChannelReadReplyLength);
        if (!distance)
            return;
        const std::uint16_t leakDistance = device::leakDistance(*distance);
        edit(widgetsOf(channel).leakField)
            ->setText(fromDeviceText(device::polledLeakDistanceText(leakDistance)));
    }
}

void MainDialog::showCounters()
{
    label(SuccessCountText)->setText(QString::number(monitorShared_.successCount));
    label(FailureCountText)->setText(QString::number(monitorShared_.failureCount));
}

void MainDialog::showChannelStates()
{
    for (const auto& [channel, record] : kDisplayedRecords) {
        if (const auto status = device::channelStatus((monitorShared_.*record).status))
            showChannelStatus(channel, *status);
    }
}

void MainDialog::showLeakDistances()
{
    for (const auto& [channel, record] : kDisplayedRecords) {
        const device::ChannelState& state = monitorShared_.*record;
        if (device::channelStatus(state.status) == ChannelStatus::Leak)
            edit(widgetsOf(channel).leakField)
                ->setText(fromDeviceText(device::monitoredLeakDistanceText(state.leakDistance)));
    }
}

// Text and lamp; a channel in leak keeps its leak point until a distance is read.
void MainDialog::showChannelStatus(Channel channel, ChannelStatus status)
{
    const ChannelWidgets widgets = widgetsOf(channel);
    label(widgets.stateText)->setText(fromDeviceText(device::channelStatusText(status)));
    const QString meaning = channelLampMeaning(widgets.lamp, status);
    switch (status) {
    case ChannelStatus::Normal: setLamp(widgets.lamp, images_.normalIcon, meaning); break;
    case ChannelStatus::Leak: setLamp(widgets.lamp, images_.leakIcon, meaning); break;
    case ChannelStatus::Break: setLamp(widgets.lamp, images_.breakIcon, meaning); break;
    }
    if (status != ChannelStatus::Leak)
        edit(widgets.leakField)->clear();
}

}  // namespace kt::ui
