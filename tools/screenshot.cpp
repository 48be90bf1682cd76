// Renders the README's pictures of the console: the real window, offscreen, with COM1 open on
// the simulated controller, the cable settings read, the channels polled and the log shown;
// and, given a second file, the communication log's window over it.
#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "recording_prompts.h"
#include "sim/controller_simulator.h"
#include "ui/application_setup.h"
#include "ui/traffic_log_window.h"

namespace {

void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// A few more exchanges for the log's other rows: stale input thrown away before a command, a
// reply with a bad checksum and one that never comes. The two failures are meant, so their
// messages are let go.
void addFailedExchanges(kt::sim::ControllerSimulator& simulator, RecordedMainDialog& console)
{
    using kt::sim::Fault;
    using kt::sim::FaultRule;
    simulator.injectBytes({0x01, 0x03, 0x02});
    runEventsFor(20);
    console.dialog->button(kt::ui::ReadLengthAButton)->click();
    simulator.addFault(FaultRule(Fault::badChecksum()));
    console.dialog->button(kt::ui::ReadResistivityAButton)->click();
    simulator.addFault(FaultRule(Fault::noReply()));
    console.dialog->button(kt::ui::ReadCalibrationBButton)->click();
    console.prompts->messages.clear();
}

// `top` over `bottom`, offset by `at`, on a plain background; `top` gets a title bar with its
// title, as a window manager would draw it, and a shadow.
QPixmap windowOver(const QPixmap& bottom, QWidget& top, QPoint at)
{
    constexpr int kTitleHeight = 26;
    constexpr int kMargin = 12;
    const QPixmap topImage = top.grab();
    const QRect frame(at, QSize(topImage.width(), topImage.height() + kTitleHeight));
    QPixmap canvas(QSize(std::max(bottom.width(), frame.right() + kMargin),
                         std::max(bottom.height(), frame.bottom() + kMargin)));
    canvas.fill(QColor(0x5B, 0x6E, 0x82));
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, bottom);
    painter.fillRect(frame.translated(5, 5), QColor(0, 0, 0, 70));
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), kTitleHeight));
    painter.fillRect(titleBar, top.palette().color(QPalette::Highlight));
    painter.setPen(top.palette().color(QPalette::HighlightedText));
    painter.drawText(titleBar.adjusted(10, 0, 0, 0), Qt::AlignVCenter, top.windowTitle());
    painter.drawPixmap(frame.topLeft() + QPoint(0, kTitleHeight), topImage);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    return canvas;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [TRAFFIC_LOG.png]\n", argv[0]);
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
    const QPixmap window = console.dialog->grab();
    if (!window.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc == 2)
        return 0;

    addFailedExchanges(simulator, console);
    console.dialog->showTrafficLog();
    runEventsFor(300);  // the log window's first refreshes
    const QPixmap both = windowOver(window, *console.dialog->trafficLogWindow(), QPoint(90, 250));
    return both.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
