#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "recording_prompts.h"
#include "sim/controller_simulator.h"

// The console's window with COM1 open on a simulated controller, for the benchmarks.
struct BenchConsole {
    BenchConsole()
    {
        if (!simulator.start())
            return;
        qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));
        recorded = makeRecordedMainDialog();
        recorded.dialog->button(kt::ui::PortButton)->click();
    }

    bool ready() const { return recorded.dialog && recorded.dialog->isPortOpen(); }
    kt::ui::MainDialog& dialog() { return *recorded.dialog; }
    RecordingPrompts& prompts() { return *recorded.prompts; }

    kt::sim::ControllerSimulator simulator;
    RecordedMainDialog recorded{};
};

// Runs the window's event loop for `duration`, handling every notification as it comes.
inline void runEventsFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

// Handles events as they come until `done` holds or `limit` has passed; false on the limit.
template <typename Done>
bool runEventsUntil(Done done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    QTimer wake;  // so that the limit is noticed on a silent event queue too
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}
