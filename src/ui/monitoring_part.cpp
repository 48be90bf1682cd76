#include "ui/monitoring_part.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/text_entry.h"
#include "link/channel_poll.h"
#include "ui/device_text.h"
#include "ui/lamp_images.h"

namespace kt::ui {
namespace {

using device::Channel;
using device::ChannelStatus;

// The controls that show one channel's state.
struct ChannelControls {
    const char* title;
    int lamp;
    int state;
    int leakPoint;
};

constexpr device::PerChannel<ChannelControls> kChannelControls{{{
    {"通道A：", ChannelALamp, ChannelAStateText, ChannelALeakField},
    {"通道B：", ChannelBLamp, ChannelBStateText, ChannelBLeakField},
}}};

constexpr int kCounterDigits = 6;

}  // namespace

MonitoringPart::MonitoringPart(WindowContext& context, WindowLayout& layout,
                               const LampImages& images, TrafficLog& trafficLog)
    : context_(context), images_(images), traffic_(trafficLog, TrafficSource::Monitoring)
{
    QGroupBox* band = layout.addBand("");
    auto* rows = new QVBoxLayout(band);
    WindowLayout::compact(*rows);

    auto* channelRow = new QHBoxLayout;
    const auto inRow = [](QHBoxLayout* row) {
        return [row](QWidget* control, int) { row->addWidget(control); };
    };
    for (const Channel channel : device::kChannels) {
        const ChannelControls& controls = kChannelControls[channel];
        ChannelWidgets& widgets = channels_[channel];
        ControlMaker make(*band, layout.controls(), inRow(channelRow));
        make.staticText(controls.title);
        // The lamp with its state text centred under it.
        auto* lampWithState = new QVBoxLayout;
        lampWithState->setSpacing(2);
        ControlMaker column(*band, layout.controls(), [lampWithState](QWidget* control, int) {
            lampWithState->addWidget(control, 0, Qt::AlignHCenter);
        });
        widgets.lamp = column.lamp(controls.lamp, controls.title);
        widgets.state = column.text(controls.state, 0, controls.title);
        channelRow->addLayout(lampWithState);
        channelRow->addSpacing(12);
        make.label("浸水点：");
        widgets.leakPoint = make.field(controls.leakPoint, kMetresDigits);
        make.staticText("米");
        channelRow->addStretch();

        widgets.state->setText(QStringLiteral("状态"));
        showChannelLamp(widgets, ChannelStatus::Normal);
    }
    rows->addLayout(channelRow);

    auto* counterRow = new QHBoxLayout;
    ControlMaker make(*band, layout.controls(), inRow(counterRow));
    make.label("通讯周期：");
    period_ = make.field(PeriodField, 6);
    make.staticText("ms");
    make.label("成功次数：");
    successCount_ = make.text(SuccessCountText, kCounterDigits);
    make.staticText("次");
    make.label("失败次数：");
    failureCount_ = make.text(FailureCountText, kCounterDigits);
    make.staticText("次");
    button_ = std::make_unique<WorkerButton>(
        context_, *make.button(MonitorButton, "开始监测"),
        WorkerButton::Captions{.start = u"开始监测", .stop = u"停止监测", .busy = u"请先停止监测!!!"});
    QPushButton* singlePoll = make.button(SinglePollButton, "单次监测");
    counterRow->addStretch();
    rows->addLayout(counterRow);

    singlePoll->hide();
    period_->setText(QStringLiteral("500"));
    QObject::connect(&button_->button(), &QPushButton::clicked, [this] { startStop(); });
    QObject::connect(singlePoll, &QPushButton::clicked, [this] { pollOnce(); });
}

void MonitoringPart::startStop()
{
    if (!button_->pressStarts())
        return;
    const auto address = context_.stationAddressForFreePort();
    if (!address)
        return;

    shared_.address = *address;
    shared_.periodMs = device::parsePeriodEntry(period_->text().toStdString());
    shared_.successCount = 0;
    shared_.failureCount = 0;
    showCounters();
    button_->start([this, link = context_.link(traffic_)]() mutable {
        runMonitorWorker(link, shared_, button_->thread(),
                         {.showCounters = [this] { showCounters(); },
                          .showChannelStates = [this] { showChannelStates(); },
                          .showLeakDistances = [this] { showLeakDistances(); }});
    });
}

// The status word and then the distance of each channel in leak, after the poll's one
// drain; a failure ends the poll with what it has shown so far.
void MonitoringPart::pollOnce()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    link::Link link = context_.commandLink();
    const link::StationReading reading = link::pollChannels(
        link, *address,
        {.statusRead = [this](Channel channel, ChannelStatus status) {
             showChannelStatus(channel, status);
         },
         .distanceRead = [this](Channel channel, std::uint16_t hundredths) {
             channels_[channel].leakPoint->setText(
                 fromDeviceText(device::polledLeakDistanceText(hundredths)));
         }});
    if (reading.failure)
        context_.showFailure(*reading.failure);
}

void MonitoringPart::showCounters()
{
    successCount_->setText(QString::number(shared_.successCount));
    failureCount_->setText(QString::number(shared_.failureCount));
}

void MonitoringPart::showChannelStates()
{
    for (const Channel channel : device::kChannels) {
        if (const auto status = device::channelStatus(shared_.channels[channel].status))
            showChannelStatus(channel, *status);
    }
}

void MonitoringPart::showLeakDistances()
{
    for (const Channel channel : device::kChannels) {
        const device::ChannelState& state = shared_.channels[channel];
        if (device::channelStatus(state.status) == ChannelStatus::Leak)
            channels_[channel].leakPoint->setText(
                fromDeviceText(device::monitoredLeakDistanceText(state.leakDistance)));
    }
}

// Text and lamp; a channel in leak keeps its leak point until a distance is read.
void MonitoringPart::showChannelStatus(Channel channel, ChannelStatus status)
{
    const ChannelWidgets& widgets = channels_[channel];
    widgets.state->setText(fromDeviceText(device::channelStatusText(status)));
    showChannelLamp(widgets, status);
    if (status != ChannelStatus::Leak)
        widgets.leakPoint->clear();
}

void MonitoringPart::showChannelLamp(const ChannelWidgets& widgets, ChannelStatus status)
{
    // Its meaning: the lamp's name, its channel's title, and the state ("通道A：泄露").
    const QString meaning =
        widgets.lamp->accessibleName() + fromDeviceText(device::channelStatusText(status));
    switch (status) {
    case ChannelStatus::Normal: showLamp(*widgets.lamp, images_.normalIcon, meaning); break;
    case ChannelStatus::Leak: showLamp(*widgets.lamp, images_.leakIcon, meaning); break;
    case ChannelStatus::Break: showLamp(*widgets.lamp, images_.breakIcon, meaning); break;
    }
}

}  // namespace kt::ui
