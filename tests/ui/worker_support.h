#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include "command_guards.h"
#include "console_fixture.h"
#include "serial/serial_port.h"

// For the tests of the two background workers: the port's other users, waiting for a stopped
// worker to end, and closing the window under a running worker.

// Every command, the other worker's start button and the port close refuse with `reason`
// while the worker started by `except` has the port.
inline void checkPortRefused(ConsoleFixture& console, const QString& reason, int except)
{
    for (const CommandGuard& guard : kCommandGuards) {
        if (guard.button == except)
            continue;
        console.click(guard.button);
        QCOMPARE(console.takeMessage(), reason);
    }
    console.click(kt::ui::PortButton);
    QCOMPARE(console.takeMessage(), reason);
    QVERIFY(console.dialog->isPortOpen());
}

// Waits until a stopped worker has ended, seen as the port close no longer being refused,
// and opens the port again.
inline void waitUntilPortIsFree(ConsoleFixture& console)
{
    QTRY_VERIFY_WITH_TIMEOUT((console.click(kt::ui::PortButton), !console.dialog->isPortOpen()),
                             10000);
    console.prompts->messages.clear();
    console.openPort();
}

inline int shownNumber(const ConsoleFixture& console, int id)
{
    return console.dialog->label(id)->text().toInt();
}

// A fresh window in place of the fixture's, on the same simulated controller.
inline void replaceWindow(ConsoleFixture& console)
{
    console.dialog.reset();
    RecordedMainDialog recorded = makeRecordedMainDialog();
    console.prompts = recorded.prompts;
    console.dialog = std::move(recorded.dialog);
}

// Destroys the window, which ends its workers wherever they are, well within two seconds.
inline void closeWindowPromptly(ConsoleFixture& console)
{
    QElapsedTimer timer;
    timer.start();
    console.dialog.reset();
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
}

// After the window has gone, nothing uses the line, and the port is free for others.
inline void checkLineLeftAlone(ConsoleFixture& console)
{
    console.simulator.clearReceivedFrames();
    QTest::qWait(500);
    QVERIFY(console.takeFrames().empty());
    QVERIFY(kt::serial::openSerialPort(1, 9600).port != nullptr);
}
