#include "test_serial.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "console_line.h"
#include "pseudo_terminal.h"
#include "scoped_environment.h"
#include "serial/posix/port_resolver.h"
#include "serial/serial_port.h"
#include "timing.h"

using namespace kt::serial;
using namespace kt::serial::test;
using namespace std::chrono_literals;

namespace {

// COM12: a two-digit number, as the console offers up to COM20.
constexpr int kPort = 12;
constexpr int kBaud = 9600;

// Columns shared by the timing cases: bytes queued before the call, bursts the controller
// sends once the call has started, the count wanted and expected, and the window in which
// the call must end.
void addArrivalColumns()
{
    QTest::addColumn<int>("queuedBefore");
    QTest::addColumn<QList<Burst>>("later");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("earliestMs");
    QTest::addColumn<int>("latestMs");
}

// Runs one timing case: `call` gets the open port and the count wanted, returns a count.
template <typename Call>
void checkArrivalCase(Call call)
{
    QFETCH(int, queuedBefore);
    QFETCH(QList<Burst>, later);
    QFETCH(int, wanted);
    QFETCH(int, expected);
    QFETCH(int, earliestMs);
    QFETCH(int, latestMs);
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    QVERIFY(console.controller.sendQueued(countingBytes(static_cast<std::size_t>(queuedBefore))));

    const Clock::time_point start = Clock::now();
    const std::jthread controller = console.controller.sendInBackground(later);
    const std::size_t count = call(*console.port, wanted);
    const milliseconds elapsed = elapsedSince(start);

    QCOMPARE(count, static_cast<std::size_t>(expected));
    QVERIFY(tookBetween(elapsed, milliseconds(earliestMs), milliseconds(latestMs)));
}

}  // namespace

void TestSerial::opensExclusivelyUntilClosed()
{
    const PseudoTerminal line(kPort);
    QVERIFY(line.isOpen());

    auto first = openSerialPort(kPort, kBaud);
    QVERIFY(first);
    QVERIFY(line.isExclusive());
    QVERIFY(!openSerialPort(kPort, kBaud));

    // The refused second open left the first one working.
    QVERIFY(line.sendQueued(countingBytes(3)));
    QCOMPARE(first->queuedInputCount(), 3u);

    first.reset();
    QVERIFY(!line.isExclusive());
    QVERIFY(openSerialPort(kPort, kBaud));
}

void TestSerial::openFailsWithoutUsableDevice_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("namedFile");  // what KT5270_COM<n> names, inside a scratch dir
    QTest::addColumn<bool>("fileExists");

    QTest::newRow("port 0") << 0 << QString() << false;
    QTest::newRow("port beyond the devices present") << 999 << QString() << false;
    QTest::newRow("named device missing") << 5 << "ttyUSB99" << false;
    QTest::newRow("named file is not a terminal") << 5 << "plain-file" << true;
}

void TestSerial::openFailsWithoutUsableDevice()
{
    QFETCH(int, portNumber);
    QFETCH(QString, namedFile);
    QFETCH(bool, fileExists);

    const QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString path = scratch.filePath(namedFile);
    if (fileExists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const ScopedEnvironment name(posix::portOverrideVariable(portNumber),
                                 namedFile.isEmpty() ? std::string() : path.toStdString());

    QVERIFY(!openSerialPort(portNumber, kBaud));
}

void TestSerial::openRefusesUnsupportedBaudRate_data()
{
    QTest::addColumn<int>("baudRate");

    for (int baudRate : {0, 1200, 57600, 115200, -9600})
        QTest::addRow("%d", baudRate) << baudRate;
}

void TestSerial::openRefusesUnsupportedBaudRate()
{
    QFETCH(int, baudRate);
    const PseudoTerminal line(kPort);
    QVERIFY(line.isOpen());

    QVERIFY(!openSerialPort(kPort, baudRate));
    QVERIFY(openSerialPort(kPort, kBaud));  // the refusal left nothing locked
}

void TestSerial::openPurgesWaitingInput()
{
    const PseudoTerminal line(kPort);
    QVERIFY(line.sendQueued(countingBytes(5)));

    const auto port = openSerialPort(kPort, kBaud);
    QVERIFY(port);
    QCOMPARE(port->queuedInputCount(), 0u);
    QCOMPARE(waitForBytes(*port, 1, 50), 0u);
}

void TestSerial::countsQueuedInput()
{
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    QVERIFY(console.controller.sendQueued(countingBytes(5)));
    QCOMPARE(console.port->queuedInputCount(), 5u);

    Bytes buffer(2);
    QCOMPARE(console.port->read(buffer), 2u);
    QCOMPARE(console.port->queuedInputCount(), 3u);
}

void TestSerial::passesEveryByteValueUnchanged()
{
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    const Bytes everyValue = countingBytes(256);

    QVERIFY(console.controller.sendQueued(everyValue));
    Bytes received(everyValue.size());
    QCOMPARE(console.port->read(received), everyValue.size());
    QCOMPARE(received, everyValue);

    console.port->write(everyValue);
    QCOMPARE(console.controller.receive(everyValue.size(), 1s), everyValue);
}

void TestSerial::waitForBytesEndsAtCountOrLimit_data()
{
    addArrivalColumns();
    QTest::addColumn<int>("limitMs");
    const int slack = static_cast<int>(kSchedulingSlack.count());

    QTest::newRow("already queued: one pass, all of it")
        << 12 << QList<Burst>{} << 4 << 12 << 2 << 2 + slack << 1000;
    QTest::newRow("silent line") << 0 << QList<Burst>{} << 500 << 0 << 50 << 50 + slack << 50;
    QTest::newRow("limit ends with a part") << 3 << QList<Burst>{} << 9 << 3 << 50 << 50 + slack << 50;
    QTest::newRow("arrives during the wait")
        << 0 << QList<Burst>{{30, 9}} << 9 << 9 << 30 << 30 + slack << 1000;
}

void TestSerial::waitForBytesEndsAtCountOrLimit()
{
    QFETCH(int, limitMs);
    checkArrivalCase([limitMs](SerialPort& port, int wanted) -> std::size_t {
        return waitForBytes(port, static_cast<std::uint16_t>(wanted),
                            static_cast<std::uint32_t>(limitMs));
    });
}

void TestSerial::readEndsAtCountGapOrTotalLimit_data()
{
    addArrivalColumns();

    // Telling "as soon as all arrived" from the 100 ms gap rule leaves less than 100 ms.
    QTest::newRow("all arrived: at once") << 200 << QList<Burst>{} << 200 << 200 << 0 << 90;
    QTest::newRow("7 of 9: total limit 5*9+5 ms")
        << 7 << QList<Burst>{} << 9 << 7 << 50 << 450;
    QTest::newRow("silent line: total limit 5*30+5 ms, no gap rule")
        << 0 << QList<Burst>{} << 30 << 0 << 155 << 555;
    QTest::newRow("no gap rule before the first byte")
        << 0 << QList<Burst>{{150, 2}} << 200 << 2 << 250 << 650;
    QTest::newRow("a gap over 100 ms ends the read")
        << 3 << QList<Burst>{{400, 2}} << 200 << 3 << 100 << 390;
    QTest::newRow("gaps under 100 ms keep it going")
        << 2 << QList<Burst>{{40, 2}, {40, 2}} << 200 << 6 << 180 << 580;
}

void TestSerial::readEndsAtCountGapOrTotalLimit()
{
    checkArrivalCase([](SerialPort& port, int wanted) {
        Bytes buffer(static_cast<std::size_t>(wanted));
        return port.read(buffer);
    });
}

void TestSerial::writeIsAbandonedWhenOutputStalls()
{
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    console.controller.stallConsoleOutput();

    const Clock::time_point start = Clock::now();
    console.port->write(countingBytes(10));
    QVERIFY(tookBetween(elapsedSince(start), 600ms, 600ms + kSchedulingSlack));  // 50*10+100
}

void TestSerial::hangUpEndsTransfersAtOnce()
{
    ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    console.controller.hangUp();

    // Limits of 2505 ms and 5100 ms: ending far sooner shows neither waited nor spun.
    const Clock::time_point start = Clock::now();
    Bytes buffer(500);
    QCOMPARE(console.port->read(buffer), 0u);
    console.port->write(countingBytes(100));
    QVERIFY(tookBetween(elapsedSince(start), 0ms, kSchedulingSlack));
    QCOMPARE(console.port->queuedInputCount(), 0u);
}

QTEST_GUILESS_MAIN(TestSerial)
