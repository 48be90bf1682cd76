#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "device/text_entry.h"
#include "link/channel_poll.h"
#include "ui/channel_controls.h"
#include "ui/device_text.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {
namespace {

using device::Channel;
using device::ChannelStatus;

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
    monitorWorker_.start([this, link = link::Link(*port_, &monitorTraffic_)]() mutable {
        runMonitorWorker(link, monitorShared_, monitorWorker_,
                         {.showCounters = [this] { showCounters(); },
                          .showChannelStates = [this] { showChannelStates(); },
                          .showLeakDistances = [this] { showLeakDistances(); }});
    });
    monitorButton->setText(text::kStopMonitoring.toString());
}

// The status word and then the distance of each channel in leak, after the poll's one
// drain; a failure ends the poll with what it has shown so far.
void MainDialog::pollChannelsOnce()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    link::Link link = commandLink();
    const link::StationReading reading = link::pollChannels(
        link, *address,
        {.statusRead = [this](Channel channel, ChannelStatus status) {
             showChannelStatus(channel, status);
         },
         .distanceRead = [this](Channel channel, std::uint16_t hundredths) {
             edit(channelControls(channel).leakField)
                 ->setText(fromDeviceText(device::polledLeakDistanceText(hundredths)));
         }});
    if (reading.failure)
        showFailure(*reading.failure);
}

void MainDialog::showCounters()
{
    label(SuccessCountText)->setText(QString::number(monitorShared_.successCount));
    label(FailureCountText)->setText(QString::number(monitorShared_.failureCount));
}

void MainDialog::showChannelStates()
{
    for (const Channel channel : device::kChannels) {
        if (const auto status = device::channelStatus(monitorShared_.channels[channel].status))
            showChannelStatus(channel, *status);
    }
}

void MainDialog::showLeakDistances()
{
    for (const Channel channel : device::kChannels) {
        const device::ChannelState& state = monitorShared_.channels[channel];
        if (device::channelStatus(state.status) == ChannelStatus::Leak)
            edit(channelControls(channel).leakField)
                ->setText(fromDeviceText(device::monitoredLeakDistanceText(state.leakDistance)));
    }
}

// Text and lamp; a channel in leak keeps its leak point until a distance is read.
void MainDialog::showChannelStatus(Channel channel, ChannelStatus status)
{
    const ChannelControls& widgets = channelControls(channel);
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
