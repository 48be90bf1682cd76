// What the window tests cannot see of the controller simulator, checked from the console's side
// of the pseudo-terminal: how it cuts the byte stream into requests and recovers from garbage,
// how the event log area is addressed, how faults shape replies, and the executable with its
// --link and --record. Every reply of every command is already checked end to end by the window
// tests.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

#include "console_end.h"
#include "sim/controller_simulator.h"
#include "sim/simulator_options.h"

using namespace kt::sim;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Q_DECLARE_METATYPE(kt::sim::FaultRule)

namespace {

// Generous: the machines running the tests are shared and sometimes slow.
constexpr auto kReplyLimit = 2000ms;

Bytes hex(const char* text)
{
    const QByteArray bytes = QByteArray::fromHex(text);
    return {bytes.begin(), bytes.end()};
}

// A frame given without its checksum, as it goes on the wire.
Bytes frame(const char* text)
{
    return withChecksum(hex(text));
}

Bytes operator+(Bytes front, const Bytes& back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

QByteArray shown(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())).toHex(' ');
}

QStringList shown(const std::vector<ReceivedFrame>& frames)
{
    QStringList list;
    for (const ReceivedFrame& received : frames)
        list << (received.wellFormed ? "" : "!") + QString::fromLatin1(shown(received.bytes));
    return list;
}

const Bytes kLengthRead = frame("01 03 60 01 00 02");
const Bytes kLengthReply = frame("01 03 04 00 00 27 10");  // the initial 100.00 m
const Bytes kStatusRead = frame("01 04 40 02 00 01");
const Bytes kLogClear = frame("01 06 40 10 00 01");  // a 0x06 write that carries no data

}  // namespace

class SimulatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControllerSimulator> sim_;
    std::unique_ptr<ConsoleEnd> console_;

    // Sends `request` and returns what comes back: `length` bytes, plus any surplus.
    Bytes exchange(const Bytes& request, std::size_t length)
    {
        console_->send(request);
        const Bytes reply = console_->receive(length, kReplyLimit);
        return reply + console_->receive(1, length == 0 ? 300ms : 50ms);
    }

private slots:
    void init()
    {
        sim_ = std::make_unique<ControllerSimulator>();
        const Outcome started = sim_->start();
        QVERIFY2(started, started.error.c_str());
        console_ = std::make_unique<ConsoleEnd>(sim_->devicePath());
        QVERIFY(console_->isOpen());
    }

    void cleanup()
    {
        console_.reset();
        sim_.reset();
    }

    void assemblerCutsTheStream_data()
    {
        QTest::addColumn<QByteArray>("stream");  // fed at once, then the line goes quiet
        QTest::addColumn<QStringList>("frames");  // "!" marks bytes that are no well-formed request
        const Bytes clock = frame("01 10 60 10 00 04 20 12 03 05 09 07 00 03");
        Bytes broken = kLengthRead;
        broken.back() ^= 0x01;
        const Bytes half(kLengthRead.begin(), kLengthRead.begin() + 5);
        const auto row = [](const char* name, const Bytes& stream, const std::vector<ReceivedFrame>& frames) {
            QTest::newRow(name) << shown(stream) << shown(frames);
        };
        row("read, clear, clock write", kLengthRead + kLogClear + clock,
            {{kLengthRead, true}, {kLogClear, true}, {clock, true}});
        row("stray byte ahead", Bytes{0xFF} + kLengthRead, {{{0xFF}, false}, {kLengthRead, true}});
        row("half a request, then a whole one", half + kLengthRead, {{half, false}, {kLengthRead, true}});
        row("bad checksum, then a good request", broken + kLogClear, {{broken, false}, {kLogClear, true}});
        row("bad checksum alone", broken, {{broken, false}});
        row("unfinished request", half, {{half, false}});
        row("more garbage than any request holds", Bytes(600, 0xFF),
            {{Bytes(600 - kLongestRequestBytes, 0xFF), false}, {Bytes(kLongestRequestBytes, 0xFF), false}});
    }

    void assemblerCutsTheStream()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, frames);
        FrameAssembler assembler(5ms);
        const auto start = Clock::now();

        std::vector<ReceivedFrame> cut = assembler.feed(hex(stream.constData()), start);
        QVERIFY(!assembler.expire(start + 4ms));
        if (auto rest = assembler.expire(start + 5ms))
            cut.push_back(*rest);
        QCOMPARE(shown(cut), frames);
        QVERIFY(!assembler.idleDeadline());
    }

    void resynchronisesAfterGarbage_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QTest::addColumn<int>("pauseMs");  // 0: garbage and request in one write
        Bytes broken = kLengthRead;
        broken[3] ^= 0x10;
        QTest::newRow("stray byte in the same write") << shown(Bytes{0xFF}) << 0;
        QTest::newRow("half a request, then a pause") << shown(Bytes(kLengthRead.begin(), kLengthRead.begin() + 5)) << 50;
        QTest::newRow("noise burst, then a pause") << shown(noiseBytes(40, 7)) << 50;
        QTest::newRow("bad checksum just before") << shown(broken) << 0;
    }

    void resynchronisesAfterGarbage()
    {
        QFETCH(QByteArray, garbage);
        QFETCH(int, pauseMs);
        const Bytes junk = hex(garbage.constData());
        if (pauseMs > 0) {
            console_->send(junk);
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        }
        const Bytes request = pauseMs > 0 ? kLengthRead : junk + kLengthRead;
        QCOMPARE(shown(exchange(request, kLengthReply.size())), shown(kLengthReply));

        // The garbage was logged as such, whole, ahead of the request.
        std::vector<ReceivedFrame> log = sim_->receivedFrameLog();
        QVERIFY(!log.empty());
        QCOMPARE(shown(std::vector{log.back()}), shown(std::vector<ReceivedFrame>{{kLengthRead, true}}));
        log.pop_back();
        Bytes given;
        for (const ReceivedFrame& dropped : log) {
            QVERIFY(!dropped.wellFormed);
            given = given + dropped.bytes;
        }
        QCOMPARE(shown(given), garbage);
    }

    void logBlocksAddressTheAreaByByte_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("firstRecord");
        QTest::addColumn<int>("records");
        QTest::newRow("single block of 3") << QByteArray("01 03 50 00 00 0F") << 0 << 3;
        QTest::newRow("block 1 of 25") << QByteArray("01 03 50 00 00 7D") << 0 << 25;
        QTest::newRow("block 2 of 1") << QByteArray("01 03 50 FA 00 05") << 25 << 1;
        QTest::newRow("block 2 of 15") << QByteArray("01 03 50 FA 00 4B") << 25 << 15;
        QTest::newRow("no records") << QByteArray("01 03 50 00 00 00") << 0 << 0;
    }

    void logBlocksAddressTheAreaByByte()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, firstRecord);
        QFETCH(int, records);
        std::vector<LogRecord> log;
        for (int index = 0; index < static_cast<int>(EventLog::kCapacity); ++index)
            log.push_back(makeLogRecord({2010, 7, 7, 9, 5, 0}, 0, 1, static_cast<std::uint16_t>(index)));
        sim_->withDevice([&log](ControllerDevice& device) { device.log().setRecords(log); });

        Bytes expected{0x01, 0x03, static_cast<std::uint8_t>(10 * records)};
        for (int index = firstRecord; index < firstRecord + records; ++index)
            expected.insert(expected.end(), log[index].begin(), log[index].end());
        expected = withChecksum(expected);
        QCOMPARE(shown(exchange(frame(request.constData()), expected.size())), shown(expected));
    }

    void faultShapesTheNextReply_data()
    {
        QTest::addColumn<FaultRule>("rule");
        QTest::addColumn<QByteArray>("expected");  // as shown()
        QTest::addColumn<int>("earliestMs");
        Bytes corrupted = kLengthReply;
        corrupted.back() ^= 0xFF;
        QTest::newRow("no reply") << FaultRule(Fault::noReply()) << QByteArray() << 0;
        QTest::newRow("truncated") << FaultRule(Fault::truncated(2))
                                   << shown(Bytes(kLengthReply.begin(), kLengthReply.end() - 2)) << 0;
        QTest::newRow("corrupt checksum") << FaultRule(Fault::badChecksum()) << shown(corrupted) << 0;
        QTest::newRow("another station") << FaultRule(Fault::fromStation(9)) << shown(frame("09 03 04 00 00 27 10")) << 0;
        QTest::newRow("stale bytes first") << FaultRule(Fault::staleBytesFirst({0xAA, 0xBB}))
                                           << shown(Bytes{0xAA, 0xBB} + kLengthReply) << 0;
        QTest::newRow("delayed and corrupt") << FaultRule(Fault::delayed(400ms) + Fault::badChecksum())
                                             << shown(corrupted) << 300;
    }

    void faultShapesTheNextReply()
    {
        QFETCH(FaultRule, rule);
        QFETCH(QByteArray, expected);
        QFETCH(int, earliestMs);
        sim_->addFault(rule);

        const auto sentAt = Clock::now();
        const Bytes reply = exchange(kLengthRead, static_cast<std::size_t>(expected.count(' ') + !expected.isEmpty()));
        QCOMPARE(shown(reply), expected);
        QVERIFY(Clock::now() - sentAt >= std::chrono::milliseconds(earliestMs));
        QCOMPARE(shown(exchange(kLengthRead, kLengthReply.size())), shown(kLengthReply));  // used up
    }

    void faultRulesHitOnlyTheirRequests()
    {
        sim_->addFault({Fault::truncated(7), 2, Function::ReadInput, 0x4002});
        sim_->addFault({Fault::noReply(), FaultRule::kUntilCleared, Function::Write, 0x4010});

        // Injected bytes go out at once, ahead of the next reply.
        sim_->injectBytes({0x01, 0x02, 0x03});
        QCOMPARE(shown(exchange(kLengthRead, 3 + kLengthReply.size())), shown(hex("01 02 03") + kLengthReply));
        QCOMPARE(shown(exchange(frame("01 04 40 03 00 01"), 7)), shown(frame("01 04 02 00 00")));  // another register
        QVERIFY(exchange(kStatusRead, 0).empty());
        QVERIFY(exchange(kStatusRead, 0).empty());
        QCOMPARE(shown(exchange(kStatusRead, 7)), shown(frame("01 04 02 00 00")));
        QCOMPARE(shown(exchange(frame("01 03 40 10 00 01"), 7)), shown(frame("01 03 02 00 00")));  // another function
        for (int attempt = 0; attempt < 3; ++attempt)
            QVERIFY(exchange(kLogClear, 0).empty());

        sim_->clearFaults();
        QCOMPARE(shown(exchange(kLogClear, 7)), shown(frame("01 06 02 00 00")));
    }

    void reconnectsBehindTheLink()
    {
        QTemporaryDir directory;
        const QString link = directory.filePath("kt-sim-link");
        QVERIFY(QFile::link("/nonexistent/stale-target", link));
        sim_->withDevice([](ControllerDevice& device) { device.setChannelValue(ChannelSetting::CableLength, Channel::A, 1250); });

        sim_->stop();
        QVERIFY(sim_->devicePath().empty());
        QVERIFY(!console_->lineAlive(kReplyLimit));

        // A fresh device replaces the stale link, and the controller keeps its state.
        QVERIFY(sim_->start(link.toStdString()));
        QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromStdString(sim_->devicePath()));
        console_ = std::make_unique<ConsoleEnd>(link.toStdString());
        QCOMPARE(shown(exchange(kLengthRead, 9)), shown(frame("01 03 04 00 00 04 E2")));
        sim_->stop();
        QVERIFY(!QFileInfo(link).isSymLink());

        // An ordinary file in the link's place is never overwritten.
        QFile ordinary(link);
        QVERIFY(ordinary.open(QIODevice::WriteOnly));
        ordinary.close();
        QVERIFY(!sim_->start(link.toStdString()));
        QVERIFY(!sim_->isRunning());
    }

    void executableServesAsConfiguredUntilTerminated()
    {
        QTemporaryDir directory;
        const QString link = directory.filePath("controller");
        const QString record = directory.filePath("record");
        QProcess process;
        process.start(KT_SIM_EXECUTABLE, {"--link", link, "--address", "3", "--leak-a", "0.29", "--break-b",
                                          "--log-records", "40", "--pace", "9600", "--record", record});
        QVERIFY(process.waitForReadyRead(10'000));
        const QString devicePath = QString::fromLocal8Bit(process.readLine()).trimmed();
        QCOMPARE(QFileInfo(link).symLinkTarget(), devicePath);

        console_ = std::make_unique<ConsoleEnd>(link.toStdString());
        console_->send({0xEE});
        QCOMPARE(shown(exchange(frame("03 03 40 10 00 01"), 7)), shown(frame("03 03 02 00 28")));
        QCOMPARE(shown(exchange(frame("03 04 40 02 00 01"), 7)), shown(frame("03 04 02 02 01")));
        QCOMPARE(shown(exchange(frame("03 04 40 03 00 01"), 7)), shown(frame("03 04 02 00 1D")));
        // 255 bytes at 9600 baud take about 266 ms on the wire.
        const auto sentAt = Clock::now();
        QCOMPARE(exchange(frame("03 03 50 00 00 7D"), 255).size(), std::size_t{255});
        QVERIFY(Clock::now() - sentAt >= 200ms);

        process.terminate();
        QVERIFY(process.waitForFinished(10'000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QFile recorded(record);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QCOMPARE(recorded.readAll(), QByteArray("!ee\n03 03 40 10 00 01 91 ed\n03 04 40 02 00 01 84 28\n"
                                                "03 04 40 03 00 01 d5 e8\n03 03 50 00 00 7d 95 09\n"));

        for (const auto& bad : std::vector<std::vector<std::string_view>>{
                 {"--address", "256"}, {"--log-records"}, {"--leak-a", "x"}, {"--frobnicate"}}) {
            SimulatorOptions ignored;
            QVERIFY(!parseOptions(bad, ignored).error.empty());
        }
    }
};

QTEST_GUILESS_MAIN(SimulatorTest)
#include "test_sim.moc"
