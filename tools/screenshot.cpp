// Renders the README's picture of the console: the real window, offscreen, with COM1 open on
// the simulated controller, the cable settings read, the channels polled and the log shown.
#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

#include "recording_prompts.h"
#include "sim/controller_simulator.h"
#include "ui/application_setup.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    kt::ui::setUpApplication(application);

    using kt::sim::Channel;
    using kt::sim::ChannelSetting;
    kt::sim::ControllerSimulator simulator;
    simulator.withDevice([](kt::sim::ControllerDevice& device) {
        device.setChannelValue(ChannelSetting::CableLength, Channel::A, 15000);
        device.setChannelValue(ChannelSetting::CableLength, Channel::B, 8725);
        device.setChannelValue(ChannelSetting::Resistivity, Channel::A, 400);
        device.setChannelValue(ChannelSetting::Resistivity, Channel::B, 398);
        device.setChannelValue(ChannelSetting::Calibration, Channel::A, 12);
        device.setChannelValue(ChannelSetting::Calibration, Channel::B, 9);
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, 4250);
        device.setStatusCodes(1, 0);
        device.log().setRecords({
            kt::sim::makeLogRecord({2026, 11, 28, 9, 5, 0}, 2, 0, 0),
            kt::sim::makeLogRecord({2026, 12, 3, 14, 41, 0}, 0, 1, 1234),
            kt::sim::makeLogRecord({2026, 12, 7, 8, 17, 0}, 1, 0, 4250),
        });
    });
    if (!simulator.start())
        return 1;
    qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));

    RecordedMainDialog console = makeRecordedMainDialog();
    console.dialog->show();
    console.dialog->button(kt::ui::PortButton)->click();
    for (int id : {kt::ui::ReadLengthAButton, kt::ui::ReadLengthBButton,
                   kt::ui::ReadResistivityAButton, kt::ui::ReadResistivityBButton,
                   kt::ui::ReadCalibrationAButton, kt::ui::ReadCalibrationBButton,
                   kt::ui::SinglePollButton, kt::ui::ReadLogCountButton, kt::ui::ReadLogButton})
        console.dialog->button(id)->click();
    if (!console.dialog->isPortOpen() || !console.prompts->messages.empty())
        return 1;
    return console.dialog->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
