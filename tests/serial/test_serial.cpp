// The POSIX port on a pseudo-terminal with the test as controller, a device server in front of
// one, port numbering, checksum, exchange.
#include <filesystem>
#include <fstream>
#include <future>

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "device_holder.h"
#include "device_server.h"
#include "pseudo_terminal.h"
#include "serial/crc16.h"
#include "serial/exchange.h"
#include "serial/posix/port_resolver.h"

using namespace kt::serial;
using namespace kt::serial::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// `count` bytes that the controller sends `afterMs` after its previous burst.
struct Burst { int afterMs, count; };

// An open that fails: KT5270_COM<portNumber> names `namedFile` in a scratch directory ("": left
// as is); the failure names that file as its device, if any.
struct Open { int portNumber; QString namedFile; int baudRate; OpenFailure::Kind kind; };

// What the traffic observer hears of the reply: its verdict and code, and bounds on its response time.
struct Heard { ReplyVerdict verdict; int code, fastestMs, slowestMs; };

// One input call: bytes queued before it, bursts sent once it started, and what it returns when.
struct InputCall { int call, queuedBefore; QList<Burst> later; int wanted, expected, earliestMs, latestMs; };

// The readiness wait for `wanted` bytes within `limitMs`, the controller sending `bursts` (or
// hanging up first), and what it returns when.
struct ReadinessWait { QList<Burst> bursts; bool hungUp; int wanted, limitMs, expected, earliestMs, latestMs; };

// COM12: a two-digit number, as the console offers up to COM20.
constexpr int kPort = 12;
constexpr int kBaud = 9600;

// What InputCall::call makes besides waitForBytes, whose limit in ms it otherwise is.
constexpr int kRead = -1, kDrain = -2, kDiscard = -3;

// Lower bounds are what the code promises; upper bounds leave room for a shared, noisy machine.
constexpr milliseconds kSchedulingSlack{400};

// True when the time since `start` lies within [earliest, latest]; otherwise says how long it took.
bool tookBetween(Clock::time_point start, milliseconds earliest, milliseconds latest)
{
    const long long took = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    if (took < earliest.count() || took > latest.count())
        qWarning("took %lld ms, expected %lld to %lld ms", took, (long long)earliest.count(), (long long)latest.count());
    return took >= earliest.count() && took <= latest.count();
}

Bytes bytesOf(const QByteArray& data) { return Bytes(data.begin(), data.end()); }

}  // namespace

Q_DECLARE_METATYPE(InputCall)
Q_DECLARE_METATYPE(ReadinessWait)
Q_DECLARE_METATYPE(kt::serial::ReplyStatus)
Q_DECLARE_METATYPE(kt::serial::ReplyVerdict)
Q_DECLARE_METATYPE(Open)
Q_DECLARE_METATYPE(Heard)

class TestSerial : public QObject {
    Q_OBJECT

private slots:
    void opensRawPurgedAndExclusiveUntilClosed()
    {
        const PseudoTerminal line(kPort);
        QVERIFY(line.sendQueued(countingBytes(5)));  // waiting before the open: not for us
        line.cook();
        auto port = openSerialPort(kPort, kBaud).port;
        QVERIFY(port);
        QCOMPARE(waitForBytes(*port, 1, 50), 0u);
        QVERIFY(line.isExclusive());
        const OpenFailure refused = openSerialPort(kPort, kBaud).failure;
        QCOMPARE(refused.kind, OpenFailure::Kind::InUse);
        QCOMPARE(refused.device, line.devicePath());
        QVERIFY(refused.holders.empty());  // only this process holds it: no other program to name

        // The refused second open left the first one working, every byte value unchanged both ways.
        const Bytes everyValue = countingBytes(256);
        QVERIFY(line.sendQueued(everyValue));
        Bytes received(everyValue.size());
        QCOMPARE(port->read(received), everyValue.size());
        QCOMPARE(received, everyValue);
        port->write(everyValue);
        QCOMPARE(line.receive(everyValue.size(), 1s), everyValue);

        port.reset();
        QVERIFY(!line.isExclusive());
        // Closed, it let go of its lock too: another program takes it, and is named when refusing.
        const DeviceHolder holder(line.devicePath(), "kt-holder");
        QVERIFY(holder.holds());
        const OpenFailure held = openSerialPort(kPort, kBaud).failure;
        QCOMPARE(held.holders, (std::vector<PortHolder>{{"kt-holder", holder.processId()}}));
    }

    void openRefusesWhatItCannotUse_data()
    {
        using Kind = OpenFailure::Kind;
        QTest::addColumn<Open>("open");
        QTest::newRow("port beyond the devices present") << Open{999, "", kBaud, Kind::NoDevice};
        QTest::newRow("named device missing") << Open{5, "ttyUSB99", kBaud, Kind::NoDevice};
        QTest::newRow("named file is not a terminal") << Open{5, "plain-file", kBaud, Kind::SettingsRefused};
        QTest::newRow("named file closed to this user") << Open{5, "closed-file", kBaud, Kind::AccessDenied};
        QTest::newRow("named a directory: the system's words") << Open{5, ".", kBaud, Kind::Other};
        QTest::newRow("115200 baud on a working line") << Open{kPort, "", 115200, Kind::UnsupportedSpeed};
    }
    void openRefusesWhatItCannotUse()
    {
        QFETCH(Open, open);
        const auto [portNumber, namedFile, baudRate, kind] = open;
        if (kind == OpenFailure::Kind::AccessDenied && ::geteuid() == 0)
            QSKIP("root opens a file whatever its mode: run as another user to check this refusal");
        const PseudoTerminal line(kPort);
        const QTemporaryDir scratch;
        for (const char* name : {"plain-file", "closed-file"})
            QVERIFY(QFile(scratch.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(scratch.filePath("closed-file"), {}));
        const QByteArray variable = QByteArray::fromStdString(portOverrideVariable(portNumber));
        const QString device = namedFile.isEmpty() ? QString() : scratch.filePath(namedFile);
        if (!device.isEmpty())
            qputenv(variable, device.toLocal8Bit());
        const auto unsetName = qScopeGuard([&] { qunsetenv(variable); });

        const OpenResult refused = openSerialPort(portNumber, baudRate);
        QVERIFY(!refused.port);
        QCOMPARE(refused.failure.kind, kind);
        QCOMPARE(QString::fromStdString(refused.failure.device), device);
        QCOMPARE(refused.failure.detail.empty(), kind != OpenFailure::Kind::Other);
        QVERIFY(openSerialPort(kPort, kBaud).port);  // the refusal left nothing locked
    }

    void inputCallsEndAtCountGapOrLimit_data()
    {
        QTest::addColumn<InputCall>("c");
        const int slack = static_cast<int>(kSchedulingSlack.count());
        QTest::newRow("wait, already queued: one pass, all of it") << InputCall{1000, 12, {}, 4, 12, 2, 2 + slack};
        QTest::newRow("wait, silent line") << InputCall{50, 0, {}, 500, 0, 50, 50 + slack};
        QTest::newRow("wait, arrives during the wait") << InputCall{1000, 0, {{30, 9}}, 9, 9, 30, 30 + slack};
        // Telling "as soon as all arrived" from the 100 ms gap rule leaves less than 100 ms.
        QTest::newRow("read, all arrived: at once") << InputCall{kRead, 200, {}, 200, 200, 0, 90};
        QTest::newRow("read 7 of 9: total limit 5*9+5 ms") << InputCall{kRead, 7, {}, 9, 7, 50, 450};
        QTest::newRow("read, no gap rule before the first byte") << InputCall{kRead, 0, {{150, 2}}, 200, 2, 250, 650};
        QTest::newRow("read, a gap over 100 ms ends it") << InputCall{kRead, 3, {{400, 2}}, 200, 3, 100, 390};
        QTest::newRow("read, gaps under 100 ms keep it going") << InputCall{kRead, 2, {{40, 2}, {40, 2}}, 200, 6, 180, 580};
        QTest::newRow("drain, silent line: waits the whole 50 ms") << InputCall{kDrain, 0, {}, 0, 0, 50, 50 + slack};
        QTest::newRow("drain, some stale bytes") << InputCall{kDrain, 20, {}, 0, 20, 50, 50 + slack};
        QTest::newRow("drain, over 500: the rest stays queued, no wait") << InputCall{kDrain, 600, {}, 0, 500, 0, slack};
        QTest::newRow("discard, what is queued") << InputCall{kDiscard, 5, {}, 0, 5, 0, slack};
    }
    void inputCallsEndAtCountGapOrLimit()
    {
        QFETCH(InputCall, c);
        const ConsoleLine console(kPort, kBaud);
        QVERIFY(console.port);
        QVERIFY(console.controller.sendQueued(countingBytes(std::size_t(c.queuedBefore))));

        const Clock::time_point start = Clock::now();
        const std::jthread controller([&] {
            for (const Burst& burst : std::as_const(c.later)) {  // const: no detach while the test reads it
                std::this_thread::sleep_for(milliseconds(burst.afterMs));
                console.controller.send(countingBytes(static_cast<std::size_t>(burst.count)));
            }
        });
        Bytes buffer(std::size_t(c.wanted));
        const std::size_t count = c.call == kRead ? console.port->read(buffer)
            : c.call == kDrain                    ? drainInput(*console.port)
            : c.call == kDiscard                  ? discardQueuedInput(*console.port)
                               : waitForBytes(*console.port, std::uint16_t(c.wanted), std::uint32_t(c.call));
        QVERIFY(tookBetween(start, milliseconds(c.earliestMs), milliseconds(c.latestMs)));
        QCOMPARE(count, std::size_t(c.expected));
        if (c.later.isEmpty())  // a wait leaves what it saw queued; the others take what they count
            QCOMPARE(console.port->queuedInputCount(), std::uint32_t(c.queuedBefore - (c.call < 0 ? c.expected : 0)));
    }

    // Ends once the whole reply is queued, not at the first byte nor at the limit.
    void readinessWaitEndsWhenAllArrived_data()
    {
        QTest::addColumn<ReadinessWait>("c");
        const int slack = static_cast<int>(kSchedulingSlack.count());
        QTest::newRow("whole reply at once") << ReadinessWait{{{30, 7}}, false, 7, 1000, 7, 30, 30 + slack};
        QTest::newRow("reply in three pieces") << ReadinessWait{{{30, 2}, {60, 3}, {60, 2}}, false, 7, 1000, 7, 150, 150 + slack};
        QTest::newRow("silent line: the limit") << ReadinessWait{{}, false, 7, 200, 0, 200, 200 + slack};
        QTest::newRow("hung-up line: the limit, not at once") << ReadinessWait{{}, true, 7, 200, 0, 200, 200 + slack};
    }
    void readinessWaitEndsWhenAllArrived()
    {
        QFETCH(ReadinessWait, c);
        ConsoleLine console(kPort, kBaud);
        QVERIFY(console.port);
        if (c.hungUp)
            console.controller.hangUp();
        const Clock::time_point start = Clock::now();
        const std::jthread controller([&] {
            for (const Burst& burst : std::as_const(c.bursts)) {
                std::this_thread::sleep_for(milliseconds(burst.afterMs));
                console.controller.send(countingBytes(static_cast<std::size_t>(burst.count)));
            }
        });
        QCOMPARE(console.port->waitUntilQueued(std::uint16_t(c.wanted), std::uint32_t(c.limitMs)), std::uint32_t(c.expected));
        QVERIFY(tookBetween(start, milliseconds(c.earliestMs), milliseconds(c.latestMs)));
        Bytes reply(std::size_t(c.expected));
        QCOMPARE(console.port->read(reply), reply.size());
    }

    void transfersNeverHangOnAStalledOrDeadLine()
    {
        {
            const ConsoleLine console(kPort, kBaud);
            QVERIFY(console.port);
            console.controller.stallConsoleOutput();
            const Clock::time_point start = Clock::now();
            console.port->write(countingBytes(10));
            QVERIFY(tookBetween(start, 600ms, 600ms + kSchedulingSlack));  // abandoned after 50*10+100 ms
        }
        // Limits of 2505 ms and 5100 ms: ending far sooner shows neither waited nor spun.
        ConsoleLine console(kPort, kBaud);
        QVERIFY(console.port);
        console.controller.hangUp();
        const Clock::time_point start = Clock::now();
        Bytes buffer(500);
        QCOMPARE(console.port->read(buffer), 0u);
        console.port->write(countingBytes(100));
        QVERIFY(tookBetween(start, 0ms, kSchedulingSlack));
        QCOMPARE(console.port->queuedInputCount(), 0u);
    }

    // A device server's address, connected or why not. {server} is ser2net serving a
    // pseudo-terminal, {busy} the same with a client already connected, {free} a port nothing
    // listens on, {silent} a listener that never accepts. No name is looked up.
    void deviceServerOpensOrSaysWhy_data()
    {
        using Kind = OpenFailure::Kind;
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");  // -1: it connects
        QTest::addColumn<int>("latestMs");
        QTest::newRow("connects, the speed left to the server") << "{server}" << -1 << 400;
        QTest::newRow("no port") << "tcp://127.0.0.1" << int(Kind::BadAddress) << 50;
        QTest::newRow("port 0") << "tcp://127.0.0.1:0" << int(Kind::BadAddress) << 50;
        QTest::newRow("port not a number to its end") << "tcp://127.0.0.1:40x1" << int(Kind::BadAddress) << 50;
        QTest::newRow("no host") << "tcp://:4001" << int(Kind::BadAddress) << 50;
        QTest::newRow("port beyond 65535") << "tcp://127.0.0.1:65536" << int(Kind::BadAddress) << 50;
        QTest::newRow("IPv6 without brackets") << "tcp://::1:4001" << int(Kind::BadAddress) << 50;
        QTest::newRow("IPv6, nothing listens") << "tcp://[::1]:{freePort}" << int(Kind::ConnectionRefused) << 400;
        QTest::newRow("nothing listens") << "{free}" << int(Kind::ConnectionRefused) << 400;
        QTest::newRow("one client only") << "{busy}" << int(Kind::DroppedByPeer) << 400;
        QTest::newRow("never accepted: given up after 3 s") << "{silent}" << int(Kind::NoAnswer) << 3400;
    }
    void deviceServerOpensOrSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, latestMs);
        const PseudoTerminal line(kPort);
        DeviceServer server(line.devicePath());
        const UnansweringListener silent;
        const int freePort = freeLoopbackPort();
        const auto firstClient = name == u"{busy}" ? openSerialDevice(server.address(), kBaud).port : nullptr;
        const std::string address = name.replace("{server}", QString::fromStdString(server.address()))
                                        .replace("{busy}", QString::fromStdString(server.address()))
                                        .replace("{free}", QString::fromStdString(loopbackAddress(freePort)))
                                        .replace("{freePort}", QString::number(freePort))
                                        .replace("{silent}", QString::fromStdString(silent.address()))
                                        .toStdString();

        const Clock::time_point start = Clock::now();
        const OpenResult opened = openSerialDevice(address, 2400);
        QVERIFY(tookBetween(start, milliseconds(kind == int(OpenFailure::Kind::NoAnswer) ? 3000 : 0),
                            milliseconds(latestMs) + kSchedulingSlack));
        QCOMPARE(opened.port != nullptr, kind < 0);
        if (kind >= 0) {
            QCOMPARE(int(opened.failure.kind), kind);
            QCOMPARE(opened.failure.device, address);
        }
    }

    // Every byte value both ways, unchanged; the server's closing ends reads at once, is told
    // once, and a write after it neither waits nor raises a signal.
    void deviceServerCarriesBytesUntilItCloses()
    {
        const PseudoTerminal line(kPort);
        DeviceServer server(line.devicePath());
        const auto port = openSerialDevice(server.address(), kBaud).port;
        QVERIFY(port);
        const Bytes everyValue = countingBytes(256);
        line.send(everyValue);
        QCOMPARE(waitForBytes(*port, 256, 2000), 256u);
        Bytes received(everyValue.size());
        QCOMPARE(port->read(received), everyValue.size());
        QCOMPARE(received, everyValue);
        port->write(everyValue);
        QCOMPARE(line.receive(everyValue.size(), 1s), everyValue);
        QVERIFY(!port->takePeerClosing());

        server.stop();
        const Clock::time_point start = Clock::now();
        QCOMPARE(port->read(received), 0u);
        QVERIFY(port->takePeerClosing());
        QVERIFY(!port->takePeerClosing());
        port->write(everyValue);
        port->write(everyValue);
        QVERIFY(tookBetween(start, 0ms, kSchedulingSlack));
        QCOMPARE(port->queuedInputCount(), 0u);
    }

    void resolvesPortsInDeviceOrder()
    {
        namespace fs = std::filesystem;
        const QTemporaryDir root;
        // USB adapters, a modem-class device, two real UARTs, and ttyS entries that must not
        // count: a placeholder of unknown type, one without sysfs entry, one whose sysfs entry
        // has no device node. Names that merely resemble serial devices are ignored.
        const posix::DeviceDirectories machine{fs::path(root.path().toStdString()) / "dev",
                                               fs::path(root.path().toStdString()) / "sys/class/tty"};
        const auto writeFile = [](const fs::path& path, const char* text) {
            fs::create_directories(path.parent_path());
            std::ofstream(path) << text;
        };
        for (const char* node : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS10", "ttyS0", "ttyS1", "ttyS2", "ttyUSB",
                                 "ttyUSB1a", "tty0", "console"})
            writeFile(machine.dev / node, "");
        for (const char* node : {"ttyS0", "ttyS10", "ttyS5"})
            writeFile(machine.sysClassTty / node / "type", "4\n");
        writeFile(machine.sysClassTty / "ttyS1/type", "0\n");
        // KT5270_COM<n> as the lookup reports it: an empty one counts as unset, COM0 stays none.
        const posix::EnvironmentLookup environment = [](const std::string& name) {
            return name == "KT5270_COM6" ? "/dev/pts/8" : name == "KT5270_COM0" ? "/dev/pts/7" : std::string();
        };
        const auto devices = [&](const posix::DeviceDirectories& directories) {
            QStringList found;  // COM0 to COM7
            for (int port = 0; port <= 7; ++port)
                found << QString::fromStdString(posix::resolvePortDevice(port, directories, environment))
                             .remove(QString::fromStdString((machine.dev / "").string()));
            return found;
        };
        // USB adapters first, then modem-class devices, then real UARTs, each by number.
        QCOMPARE(devices(machine), (QStringList{"", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS10", "/dev/pts/8", ""}));
        QCOMPARE(devices({machine.dev / "none", ""}), (QStringList{"", "", "", "", "", "", "/dev/pts/8", ""}));
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<quint16>("expected");  // high byte first on the wire
        QTest::newRow("check value") << QByteArray("123456789") << quint16(0x374B);
        QTest::newRow("read cable length A") << QByteArray::fromHex("010360010002") << quint16(0x8BCB);
        QTest::newRow("write clock") << QByteArray::fromHex("0110601000042012030509070003") << quint16(0x7DA6);
    }
    void checksum()
    {
        QFETCH(QByteArray, message);
        QFETCH(quint16, expected);
        const Bytes bytes = bytesOf(message);
        QCOMPARE(crc16Modbus(bytes), expected);

        const Bytes frame = frameRequest(bytes.front(), std::span(bytes).subspan(1));
        QCOMPARE(frame, bytesOf(message + char(expected >> 8) + char(expected & 0xFF)));
        QCOMPARE(crc16Modbus(frame), quint16(0));
        QVERIFY(checksumMatches(frame));  // a damaged frame is the exchange's bad checksum below
    }

    void transactJudgesTheReply_data()
    {
        QTest::addColumn<QByteArray>("reply");  // what the controller answers; empty: nothing
        QTest::addColumn<int>("answerAfterMs");
        QTest::addColumn<ReplyStatus>("status");  // the reply's bytes come back whatever it says
        QTest::addColumn<Heard>("heard");
        using enum ReplyVerdict;
        const QByteArray accepted = QByteArray::fromHex("010304000004E278BA");
        QByteArray damaged = accepted;
        damaged[5] = static_cast<char>(damaged[5] ^ 0x01);
        const int slack = static_cast<int>(kSchedulingSlack.count());
        // A silence waits 500 ms for the reply, then 5*9+5 ms for the read.
        QTest::newRow("accepted") << accepted << 0 << ReplyStatus::Accepted << Heard{Accepted, 0, 0, slack};
        QTest::newRow("late but within the wait") << accepted << 200 << ReplyStatus::Accepted << Heard{Accepted, 0, 199, 200 + slack};
        QTest::newRow("another station and function: accepted, but not by the log")
            << QByteArray::fromHex("070404000000015C44") << 0 << ReplyStatus::Accepted << Heard{OtherStation, 0x07, 0, slack};
        QTest::newRow("another function") << QByteArray::fromHex("010404000000013A44") << 0 << ReplyStatus::Accepted
                                          << Heard{OtherFunction, 0x04, 0, slack};
        QTest::newRow("exception: illegal data address") << QByteArray::fromHex("018302C0F1") << 0 << ReplyStatus::ShortReply
                                                         << Heard{Exception, 0x02, 0, slack};
        QTest::newRow("another function's exception") << QByteArray::fromHex("018402C2C1") << 0 << ReplyStatus::ShortReply
                                                      << Heard{OtherFunction, 0x84, 0, slack};
        QTest::newRow("one byte short") << accepted.left(8) << 0 << ReplyStatus::ShortReply << Heard{ShortReply, 0, 0, slack};
        QTest::newRow("no answer") << QByteArray() << 0 << ReplyStatus::ShortReply << Heard{NoReply, 0, 549, 550 + slack};
        QTest::newRow("one bit changed") << damaged << 0 << ReplyStatus::BadChecksum << Heard{BadChecksum, 0, 0, slack};
    }
    void transactJudgesTheReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, answerAfterMs);
        QFETCH(ReplyStatus, status);
        QFETCH(Heard, heard);
        const ConsoleLine console(kPort, kBaud);
        QVERIFY(console.port);
        const Bytes request = frameRequest(0x01, Bytes{0x03, 0x60, 0x01, 0x00, 0x02});

        // The controller: hears one request, then answers.
        auto controllerHeard = std::async(std::launch::async, [&] {
            const Bytes got = console.controller.receive(request.size(), 1s);
            std::this_thread::sleep_for(milliseconds(answerAfterMs));
            console.controller.send(bytesOf(reply));
            return got;
        });
        struct : TrafficObserver {
            void sent(std::span<const std::uint8_t>) override {}
            void received(const ObservedReply& reply) override { observed = reply; }
            void discarded(std::span<const std::uint8_t>) override {}
            ObservedReply observed;
        } observer;
        const Reply answer = transact(*console.port, request, 9, 500, &observer);  // a length read: 9 bytes back

        QCOMPARE(controllerHeard.get(), request);
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.bytes, bytesOf(reply));
        const ObservedReply& observed = observer.observed;
        QCOMPARE(observed.verdict, heard.verdict);
        QCOMPARE(observed.code, std::uint8_t(heard.code));
        QCOMPARE(observed.expectedLength, std::size_t(9));
        const auto responseMs = observed.responseTime.count();
        QVERIFY2(responseMs >= heard.fastestMs && responseMs <= heard.slowestMs, qPrintable(QString::number(responseMs)));
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "test_serial.moc"
