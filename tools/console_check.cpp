// Drives the real window against a controller on COM1 and prints what it shows, one
// "what: text" line per step: the texts and font it starts with, the device COM1 names, the
// port opened, cable length A read, the counters each second while monitoring runs, and how
// long the window takes to close while monitoring. scripts/check-windows-console.sh runs it under Wine against the
// simulator and judges the lines; the console itself takes no option for this.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "recording_prompts.h"
#include "serial/serial_port.h"
#include "ui/application_setup.h"

namespace {

using namespace kt::ui;

constexpr int kMonitoringSeconds = 4;

void print(const char* what, const QString& text)
{
    std::printf("%s: %s\n", what, qUtf8Printable(text));
    std::fflush(stdout);
}

void processEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Qt's own text for a standard button: Chinese once its translations are found.
QString standardOkText()
{
    QDialogButtonBox box(QDialogButtonBox::Ok);
    return box.button(QDialogButtonBox::Ok)->text();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    setUpApplication(application);

    RecordedMainDialog console = makeRecordedMainDialog();
    MainDialog& window = *console.dialog;
    window.show();
    processEventsFor(500);
    print("title", window.windowTitle());
    print("font", QApplication::font().family());
    print("standard button", standardOkText());
    print("port", window.dropDown(PortNumberList)->currentText() + QLatin1Char(' ')
                      + window.dropDown(PortBaudRateList)->currentText());
    print("device", QString::fromStdString(kt::serial::portDevicePath(1)));

    window.button(PortButton)->click();
    print("port open", window.isPortOpen() ? QStringLiteral("yes") : QStringLiteral("no"));
    print("port button", window.button(PortButton)->text());

    window.button(ReadLengthAButton)->click();
    print("length A", window.edit(LengthAField)->text());

    window.button(MonitorButton)->click();
    print("monitor button", window.button(MonitorButton)->text());
    for (int second = 1; second <= kMonitoringSeconds; ++second) {
        processEventsFor(1000);
        print("counters", window.label(SuccessCountText)->text() + QLatin1Char(' ')
                              + window.label(FailureCountText)->text());
    }

    // As the console ends: the window goes, its destructor stops monitoring and closes the port.
    QElapsedTimer closing;
    closing.start();
    window.close();
    QStringList messages;  // the prompts go with the window
    for (const kt::ui::MessageBoxRequest& message : console.prompts->messages)
        messages << message.text;
    console.dialog.reset();
    print("closed while monitoring, ms", QString::number(closing.elapsed()));

    for (const QString& message : messages)
        print("message", message);
    return 0;
}
