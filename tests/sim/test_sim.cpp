// The controller simulator seen from the console's side of the pseudo-terminal: hand-built
// request frames go in, and the bytes that come back are checked to the byte.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <thread>
#include <tuple>

#include "console_end.h"
#include "serial/crc16.h"
#include "sim/controller_simulator.h"
#include "sim/simulator_options.h"

using namespace kt::sim;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(kt::sim::FaultRule)
Q_DECLARE_METATYPE(kt::sim::AddressFilter)

namespace {

// Generous: the machines running the tests are shared and sometimes slow.
constexpr auto kReplyLimit = 2000ms;
constexpr auto kSilence = 300ms;

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

ScenarioStep step(std::uint8_t codeB, std::uint8_t codeA, std::uint16_t distanceA = 0, int reads = 1)
{
    return {.codeB = codeB, .codeA = codeA, .distanceA = distanceA, .statusReads = reads};
}

}  // namespace

class SimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void handBuiltFramesCarryWireChecksums();
    void answersEachRequestKind_data();
    void answersEachRequestKind();
    void writeChangesWhatLaterReadReturns_data();
    void writeChangesWhatLaterReadReturns();
    void refusedWritesKeepTheirValue();
    void busAddressChangesAfterTheReply();
    void addressFilter_data();
    void addressFilter();
    void clockRunsFromWhatWasSet();
    void logBlocksAddressTheAreaByByte_data();
    void logBlocksAddressTheAreaByByte();
    void reportedLogCountCanBeForced();

    void faultShapesTheNextReply_data();
    void faultShapesTheNextReply();
    void faultRulesHitOnlyTheirRequests();
    void injectedBytesArriveUnasked();

    void assemblerCutsTheStream_data();
    void assemblerCutsTheStream();
    void resynchronisesAfterGarbage_data();
    void resynchronisesAfterGarbage();
    void recordsFramesInOrder();

    void scenarioAdvancesWithStatusReads();
    void replyDelayAndPacing();
    void reconnectGivesFreshDeviceBehindTheLink();
    void commandLine();
    void executableServesUntilTerminated();

private:
    // Sends `request` and returns what comes back: `length` bytes, plus any surplus.
    Bytes exchange(const Bytes& request, std::size_t length);
    Bytes receiveReply(std::size_t length);

    std::unique_ptr<ControllerSimulator> sim_;
    std::unique_ptr<ConsoleEnd> console_;
};

void SimulatorTest::init()
{
    sim_ = std::make_unique<ControllerSimulator>();
    const Outcome started = sim_->start();
    QVERIFY2(started, started.error.c_str());
    console_ = std::make_unique<ConsoleEnd>(sim_->devicePath());
    QVERIFY(console_->isOpen());
}

void SimulatorTest::cleanup()
{
    console_.reset();
    sim_.reset();
}

Bytes SimulatorTest::exchange(const Bytes& request, std::size_t length)
{
    console_->send(request);
    return receiveReply(length);
}

Bytes SimulatorTest::receiveReply(std::size_t length)
{
    Bytes reply = console_->receive(length, kReplyLimit);
    return reply + console_->receive(1, length == 0 ? kSilence : 50ms);
}

void SimulatorTest::handBuiltFramesCarryWireChecksums()
{
    QCOMPARE(shown(kLengthRead), shown(hex("01 03 60 01 00 02 8B CB")));
    QCOMPARE(shown(frame("01 03 60 10 00 04")), shown(hex("01 03 60 10 00 04 5B CC")));
    QCOMPARE(shown(frame("01 06 60 01 00 02 00 00 04 E2")), shown(hex("01 06 60 01 00 02 00 00 04 E2 E7 C3")));
    QCOMPARE(shown(frame("01 10 60 10 00 04 20 12 03 05 09 07 00 03")),
             shown(hex("01 10 60 10 00 04 20 12 03 05 09 07 00 03 7D A6")));
}

void SimulatorTest::answersEachRequestKind_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");  // both without checksum
    QTest::newRow("length A read") << QByteArray("01 03 60 01 00 02") << QByteArray("01 03 04 00 00 04 E2");
    QTest::newRow("length B read, negative") << QByteArray("01 03 60 02 00 02") << QByteArray("01 03 04 FF FF FF FE");
    QTest::newRow("resistivity B read") << QByteArray("01 03 60 06 00 01") << QByteArray("01 03 02 FF FF");
    QTest::newRow("calibration A read") << QByteArray("01 03 60 08 00 01") << QByteArray("01 03 02 00 07");
    QTest::newRow("length write, 12 bytes") << QByteArray("01 06 60 02 00 02 00 00 04 E2") << QByteArray("01 06 02 00 00");
    QTest::newRow("word write, 10 bytes") << QByteArray("01 06 60 04 00 01 01 90") << QByteArray("01 06 02 00 00");
    QTest::newRow("baud rate write") << QByteArray("01 06 80 00 00 01 25 80") << QByteArray("01 06 02 00 00");
    QTest::newRow("status word") << QByteArray("01 04 40 02 00 01") << QByteArray("01 04 02 02 01");
    QTest::newRow("leak distance A") << QByteArray("01 04 40 03 00 01") << QByteArray("01 04 02 04 D2");
    QTest::newRow("leak distance B") << QByteArray("01 04 40 04 00 01") << QByteArray("01 04 02 FF FF");
    QTest::newRow("zero calibration A") << QByteArray("01 04 40 08 00 01") << QByteArray("01 04 02 00 00");
    QTest::newRow("zero calibration B fails") << QByteArray("01 04 40 09 00 01") << QByteArray("01 04 02 00 01");
    QTest::newRow("log count") << QByteArray("01 03 40 10 00 01") << QByteArray("01 03 02 00 03");
    QTest::newRow("log clear, 8 bytes") << QByteArray("01 06 40 10 00 01") << QByteArray("01 06 02 00 00");
    QTest::newRow("clock write, 16 bytes") << QByteArray("01 10 60 10 00 04 20 12 03 05 09 07 00 03")
                                           << QByteArray("01 10 02 00 00");
    QTest::newRow("log block of no records") << QByteArray("01 03 50 00 00 00") << QByteArray("01 03 00");
    QTest::newRow("unknown register") << QByteArray("01 03 70 00 00 01") << QByteArray("01 83 02");
    QTest::newRow("wrong word count") << QByteArray("01 03 60 01 00 01") << QByteArray("01 83 03");
}

void SimulatorTest::answersEachRequestKind()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sim_->withDevice([](ControllerDevice& device) {
        device.setChannelValue(ChannelSetting::CableLength, Channel::A, 1250);
        device.setChannelValue(ChannelSetting::CableLength, Channel::B, static_cast<std::uint32_t>(-2));
        device.setChannelValue(ChannelSetting::Resistivity, Channel::B, 0xFFFF);
        device.setChannelValue(ChannelSetting::Calibration, Channel::A, 7);
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::A, 1234);
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, 0xFFFF);
        device.setChannelValue(ChannelSetting::ZeroCalibrationResult, Channel::B, 1);
        device.setStatusCodes(2, 1);
        device.log().setRecords(std::vector<LogRecord>(3));
    });
    const Bytes sent = frame(request.constData());
    const Bytes expected = frame(reply.constData());

    QCOMPARE(shown(exchange(sent, expected.size())), shown(expected));
    QCOMPARE(sim_->receivedFrames(), std::vector<Bytes>{sent});
}

void SimulatorTest::writeChangesWhatLaterReadReturns_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("readReply");
    QTest::newRow("cable length A") << QByteArray("01 06 60 01 00 02 FF FF FF FE") << QByteArray("01 03 60 01 00 02")
                                    << QByteArray("01 03 04 FF FF FF FE");
    QTest::newRow("resistivity B") << QByteArray("01 06 60 06 00 01 11 70") << QByteArray("01 03 60 06 00 01")
                                   << QByteArray("01 03 02 11 70");
    QTest::newRow("calibration B") << QByteArray("01 06 60 09 00 01 00 FB") << QByteArray("01 03 60 09 00 01")
                                   << QByteArray("01 03 02 00 FB");
    QTest::newRow("baud rate") << QByteArray("01 06 80 00 00 01 96 00") << QByteArray("01 03 80 00 00 01")
                               << QByteArray("01 03 02 96 00");
    QTest::newRow("log clear") << QByteArray("01 06 40 10 00 01") << QByteArray("01 03 40 10 00 01")
                               << QByteArray("01 03 02 00 00");
}

void SimulatorTest::writeChangesWhatLaterReadReturns()
{
    QFETCH(QByteArray, write);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, readReply);
    sim_->withDevice([](ControllerDevice& device) { device.log().setRecords(std::vector<LogRecord>(5)); });

    QCOMPARE(shown(exchange(frame(write.constData()), 7)), shown(frame("01 06 02 00 00")));
    const Bytes expected = frame(readReply.constData());
    QCOMPARE(shown(exchange(frame(read.constData()), expected.size())), shown(expected));
}

void SimulatorTest::refusedWritesKeepTheirValue()
{
    sim_->withDevice([](ControllerDevice& device) { device.refuseWrites(0x0001, 0x6004); });
    QCOMPARE(shown(exchange(frame("01 06 60 04 00 01 01 90"), 7)), shown(frame("01 06 02 00 01")));
    QCOMPARE(shown(exchange(frame("01 06 60 08 00 01 00 09"), 7)), shown(frame("01 06 02 00 00")));
    QCOMPARE(sim_->withDevice([](ControllerDevice& device) {
                 return device.channelValue(ChannelSetting::Resistivity, Channel::A);
             }), 400u);

    sim_->withDevice([](ControllerDevice& device) { device.refuseWrites(0x0100); });
    QCOMPARE(shown(exchange(frame("01 10 60 10 00 04 20 12 03 05 09 07 00 03"), 7)), shown(frame("01 10 02 01 00")));
    QCOMPARE(shown(exchange(frame("01 06 40 10 00 01"), 7)), shown(frame("01 06 02 01 00")));

    sim_->withDevice([](ControllerDevice& device) { device.acceptWrites(); });
    QCOMPARE(shown(exchange(frame("01 06 60 04 00 01 01 90"), 7)), shown(frame("01 06 02 00 00")));
}

void SimulatorTest::busAddressChangesAfterTheReply()
{
    QCOMPARE(shown(exchange(frame("01 06 80 01 00 01 00 05"), 7)), shown(frame("01 06 02 00 00")));
    QVERIFY(exchange(frame("01 03 40 10 00 01"), 0).empty());
    QCOMPARE(shown(exchange(frame("05 03 40 10 00 01"), 7)), shown(frame("05 03 02 00 00")));
    QCOMPARE(sim_->withDevice([](ControllerDevice& device) { return device.address(); }), std::uint8_t{5});
}

void SimulatorTest::addressFilter_data()
{
    QTest::addColumn<AddressFilter>("filter");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");  // empty: no answer
    QTest::newRow("own address") << AddressFilter::OwnAddress << QByteArray("01 03 40 10 00 01")
                                 << QByteArray("01 03 02 00 00");
    QTest::newRow("another address") << AddressFilter::OwnAddress << QByteArray("02 03 40 10 00 01") << QByteArray();
    QTest::newRow("every address") << AddressFilter::EveryAddress << QByteArray("07 03 40 10 00 01")
                                   << QByteArray("07 03 02 00 00");
    QTest::newRow("no address") << AddressFilter::NoAddress << QByteArray("01 03 40 10 00 01") << QByteArray();
}

void SimulatorTest::addressFilter()
{
    QFETCH(AddressFilter, filter);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sim_->withDevice([filter](ControllerDevice& device) { device.setAddressFilter(filter); });
    const Bytes expected = reply.isEmpty() ? Bytes{} : frame(reply.constData());

    QCOMPARE(shown(exchange(frame(request.constData()), expected.size())), shown(expected));
    QVERIFY(sim_->waitForFrames(1, kReplyLimit));
}

void SimulatorTest::clockRunsFromWhatWasSet()
{
    QCOMPARE(shown(exchange(frame("01 10 60 10 00 04 20 12 03 05 09 07 00 03"), 7)), shown(frame("01 10 02 00 00")));
    const Bytes reply = exchange(frame("01 03 60 10 00 04"), 13);
    QCOMPARE(reply.size(), std::size_t{13});
    QVERIFY(kt::serial::checksumMatches(reply));
    QCOMPARE(shown(Bytes(reply.begin(), reply.begin() + 10)), shown(hex("01 03 08 20 12 03 05 09 07 00")));
    QVERIFY(reply[10] >= 0x03 && reply[10] <= 0x06);

    sim_->withDevice([](ControllerDevice& device) { device.clock().set({2019, 12, 31, 23, 59, 59}); });
    std::this_thread::sleep_for(1100ms);
    const ClockTime now = sim_->withDevice([](ControllerDevice& device) { return device.clock().now(); });
    QCOMPARE((ClockTime{now.year, now.month, now.day, now.hour, now.minute, 0}), (ClockTime{2020, 1, 1, 0, 0, 0}));
    QVERIFY(now.second <= 3);
}

void SimulatorTest::logBlocksAddressTheAreaByByte_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("firstRecord");
    QTest::addColumn<int>("records");
    QTest::newRow("single block of 3") << QByteArray("01 03 50 00 00 0F") << 0 << 3;
    QTest::newRow("block 1 of 25") << QByteArray("01 03 50 00 00 7D") << 0 << 25;
    QTest::newRow("block 2 of 1") << QByteArray("01 03 50 FA 00 05") << 25 << 1;
    QTest::newRow("block 2 of 15") << QByteArray("01 03 50 FA 00 4B") << 25 << 15;
}

void SimulatorTest::logBlocksAddressTheAreaByByte()
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

void SimulatorTest::reportedLogCountCanBeForced()
{
    sim_->withDevice([](ControllerDevice& device) { device.log().setRecords(std::vector<LogRecord>(2)); });
    for (const std::uint16_t forced : {std::uint16_t{41}, std::uint16_t{65535}}) {
        sim_->withDevice([forced](ControllerDevice& device) { device.log().forceReportedCount(forced); });
        const Bytes expected = withChecksum({0x01, 0x03, 0x02, static_cast<std::uint8_t>(forced >> 8),
                                        static_cast<std::uint8_t>(forced & 0xFF)});
        QCOMPARE(shown(exchange(frame("01 03 40 10 00 01"), 7)), shown(expected));
    }
    sim_->withDevice([](ControllerDevice& device) { device.log().forceReportedCount(std::nullopt); });
    QCOMPARE(shown(exchange(frame("01 03 40 10 00 01"), 7)), shown(frame("01 03 02 00 02")));
}

void SimulatorTest::faultShapesTheNextReply_data()
{
    QTest::addColumn<FaultRule>("rule");
    QTest::addColumn<QByteArray>("expected");  // as shown()
    QTest::addColumn<int>("earliestMs");
    Bytes corrupted = kLengthReply;
    corrupted.back() ^= 0xFF;
    const Bytes noise = noiseBytes(32);
    QTest::newRow("no reply") << FaultRule(Fault::noReply()) << QByteArray() << 0;
    QTest::newRow("truncated") << FaultRule(Fault::truncated(2))
                               << shown(Bytes(kLengthReply.begin(), kLengthReply.end() - 2)) << 0;
    QTest::newRow("corrupt checksum") << FaultRule(Fault::badChecksum()) << shown(corrupted) << 0;
    QTest::newRow("another station") << FaultRule(Fault::fromStation(9)) << shown(frame("09 03 04 00 00 27 10")) << 0;
    QTest::newRow("stale bytes first") << FaultRule(Fault::staleBytesFirst({0xAA, 0xBB}))
                                       << shown(Bytes{0xAA, 0xBB} + kLengthReply) << 0;
    QTest::newRow("noise burst first") << FaultRule(Fault::staleBytesFirst(noise)) << shown(noise + kLengthReply) << 0;
    QTest::newRow("delayed") << FaultRule(Fault::delayed(400ms)) << shown(kLengthReply) << 300;
    QTest::newRow("delayed and corrupt") << FaultRule(Fault::delayed(400ms) + Fault::badChecksum())
                                         << shown(corrupted) << 300;
}

void SimulatorTest::faultShapesTheNextReply()
{
    QFETCH(FaultRule, rule);
    QFETCH(QByteArray, expected);
    QFETCH(int, earliestMs);
    sim_->addFault(rule);

    const auto sentAt = std::chrono::steady_clock::now();
    const Bytes reply = exchange(kLengthRead, static_cast<std::size_t>(expected.count(' ') + !expected.isEmpty()));
    QCOMPARE(shown(reply), expected);
    QVERIFY(std::chrono::steady_clock::now() - sentAt >= std::chrono::milliseconds(earliestMs));
    QCOMPARE(shown(exchange(kLengthRead, kLengthReply.size())), shown(kLengthReply));
}

void SimulatorTest::faultRulesHitOnlyTheirRequests()
{
    sim_->addFault({Fault::truncated(7), 2, Function::ReadInput, 0x4002});
    sim_->addFault({Fault::noReply(), FaultRule::kUntilCleared, std::nullopt, 0x4003});
    const Bytes statusReply = frame("01 04 02 00 00");

    QCOMPARE(shown(exchange(kLengthRead, kLengthReply.size())), shown(kLengthReply));
    QVERIFY(exchange(kStatusRead, 0).empty());
    QVERIFY(exchange(kStatusRead, 0).empty());
    QCOMPARE(shown(exchange(kStatusRead, statusReply.size())), shown(statusReply));
    for (int attempt = 0; attempt < 3; ++attempt)
        QVERIFY(exchange(frame("01 04 40 03 00 01"), 0).empty());

    sim_->clearFaults();
    QCOMPARE(shown(exchange(frame("01 04 40 03 00 01"), 7)), shown(frame("01 04 02 00 00")));
}

void SimulatorTest::injectedBytesArriveUnasked()
{
    sim_->injectBytes({0x01, 0x02, 0x03});
    QCOMPARE(shown(console_->receive(3, kReplyLimit)), shown(hex("01 02 03")));
}

void SimulatorTest::assemblerCutsTheStream_data()
{
    QTest::addColumn<QByteArray>("stream");  // fed at once, then the line goes quiet
    QTest::addColumn<QStringList>("frames");  // "!" marks bytes that are no well-formed request
    const Bytes clear = frame("01 06 40 10 00 01");
    const Bytes clock = frame("01 10 60 10 00 04 20 12 03 05 09 07 00 03");
    Bytes broken = kLengthRead;
    broken.back() ^= 0x01;
    const Bytes half(kLengthRead.begin(), kLengthRead.begin() + 5);
    const auto row = [](const char* name, const Bytes& stream, const std::vector<ReceivedFrame>& frames) {
        QTest::newRow(name) << shown(stream) << shown(frames);
    };
    row("read, clear, clock write", kLengthRead + clear + clock, {{kLengthRead, true}, {clear, true}, {clock, true}});
    row("stray byte ahead", Bytes{0xFF} + kLengthRead, {{{0xFF}, false}, {kLengthRead, true}});
    row("half a request, then a whole one", half + kLengthRead, {{half, false}, {kLengthRead, true}});
    row("bad checksum, then a good request", broken + clear, {{broken, false}, {clear, true}});
    row("bad checksum alone", broken, {{broken, false}});
    row("unfinished request", half, {{half, false}});
    row("more garbage than any request holds", Bytes(600, 0xFF),
        {{Bytes(600 - kLongestRequestBytes, 0xFF), false}, {Bytes(kLongestRequestBytes, 0xFF), false}});
}

void SimulatorTest::assemblerCutsTheStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, frames);
    FrameAssembler assembler(5ms);
    const auto start = std::chrono::steady_clock::now();

    std::vector<ReceivedFrame> cut = assembler.feed(hex(stream.constData()), start);
    QVERIFY(!assembler.expire(start + 4ms));
    if (auto rest = assembler.expire(start + 5ms))
        cut.push_back(*rest);
    QCOMPARE(shown(cut), frames);
    QVERIFY(!assembler.idleDeadline());
}

void SimulatorTest::resynchronisesAfterGarbage_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<int>("pauseMs");
    Bytes broken = kLengthRead;
    broken[3] ^= 0x10;
    QTest::newRow("stray byte in the same write") << shown(Bytes{0xFF}) << 0;
    QTest::newRow("half a request, then a pause") << shown(Bytes(kLengthRead.begin(), kLengthRead.begin() + 5)) << 50;
    QTest::newRow("noise burst, then a pause") << shown(noiseBytes(40, 7)) << 50;
    QTest::newRow("bad checksum just before") << shown(broken) << 0;
}

void SimulatorTest::resynchronisesAfterGarbage()
{
    QFETCH(QByteArray, garbage);
    QFETCH(int, pauseMs);
    const Bytes junk = hex(garbage.constData());
    if (pauseMs == 0) {
        console_->send(junk + kLengthRead);
    } else {
        console_->send(junk);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        console_->send(kLengthRead);
    }
    QCOMPARE(shown(receiveReply(kLengthReply.size())), shown(kLengthReply));

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

void SimulatorTest::recordsFramesInOrder()
{
    const std::vector<Bytes> sent{kLengthRead, kStatusRead, frame("01 06 40 10 00 01")};
    for (const Bytes& request : sent)
        console_->send(request);
    QVERIFY(sim_->waitForFrames(sent.size(), kReplyLimit));
    QCOMPARE(sim_->receivedFrames(), sent);
    QVERIFY(!sim_->waitForFrames(sent.size() + 1, 50ms));

    sim_->clearReceivedFrames();
    QVERIFY(sim_->receivedFrames().empty());
}

void SimulatorTest::scenarioAdvancesWithStatusReads()
{
    sim_->withDevice([](ControllerDevice& device) {
        device.scenario().play({step(0, 0), step(0, 1, 1234, 2), step(2, 0)}, ScenarioEnd::HoldLastStep);
    });
    const auto statusRead = [this] { return shown(exchange(kStatusRead, 7)); };

    QCOMPARE(statusRead(), shown(frame("01 04 02 00 00")));
    QCOMPARE(statusRead(), shown(frame("01 04 02 00 01")));
    QCOMPARE(shown(exchange(frame("01 04 40 03 00 01"), 7)), shown(frame("01 04 02 04 D2")));
    QCOMPARE(statusRead(), shown(frame("01 04 02 00 01")));
    QCOMPARE(statusRead(), shown(frame("01 04 02 02 00")));
    QCOMPARE(statusRead(), shown(frame("01 04 02 02 00")));

    // The leak and the break were logged, each once.
    const auto log = sim_->withDevice([](ControllerDevice& device) { return device.log().records(); });
    QCOMPARE(log.size(), std::size_t{2});
    QCOMPARE(shown(Bytes(log[0].begin() + 6, log[0].end())), shown(hex("00 01 04 D2")));
    QCOMPARE(shown(Bytes(log[1].begin() + 6, log[1].end())), shown(hex("02 00 00 00")));
}

void SimulatorTest::replyDelayAndPacing()
{
    sim_->setReplyDelay(300ms);
    auto sentAt = std::chrono::steady_clock::now();
    QCOMPARE(shown(exchange(kLengthRead, kLengthReply.size())), shown(kLengthReply));
    QVERIFY(std::chrono::steady_clock::now() - sentAt >= 250ms);

    // 255 bytes at 9600 baud take about 266 ms on the wire.
    sim_->setReplyDelay(0ms);
    sim_->setBytePacing(9600);
    sentAt = std::chrono::steady_clock::now();
    QCOMPARE(exchange(frame("01 03 50 00 00 7D"), 255).size(), std::size_t{255});
    QVERIFY(std::chrono::steady_clock::now() - sentAt >= 200ms);
}

void SimulatorTest::reconnectGivesFreshDeviceBehindTheLink()
{
    QTemporaryDir directory;
    const QString link = directory.filePath("kt-sim-link");
    QVERIFY(QFile::link("/nonexistent/stale-target", link));
    sim_->withDevice([](ControllerDevice& device) { device.setChannelValue(ChannelSetting::CableLength, Channel::A, 1250); });

    sim_->stop();
    QVERIFY(sim_->devicePath().empty());
    QVERIFY(!console_->lineAlive(kReplyLimit));

    QVERIFY(sim_->start(link.toStdString()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromStdString(sim_->devicePath()));
    console_ = std::make_unique<ConsoleEnd>(link.toStdString());
    QCOMPARE(shown(exchange(kLengthRead, 9)), shown(frame("01 03 04 00 00 04 E2")));

    sim_->stop();
    QVERIFY(!QFileInfo(link).isSymLink());

    QFile ordinary(link);
    QVERIFY(ordinary.open(QIODevice::WriteOnly));
    ordinary.close();
    QVERIFY(!sim_->start(link.toStdString()));
    QVERIFY(!sim_->isRunning());
}

void SimulatorTest::commandLine()
{
    SimulatorOptions options;
    const std::vector<std::string_view> good{"--address", "7", "--leak-a", "12.34", "--break-b", "--log-records", "40"};
    QVERIFY(parseOptions(good, options));
    QCOMPARE(options.address, std::uint8_t{7});
    QCOMPARE(options.leakMetresA, std::optional{12.34});
    QVERIFY(options.breakB);

    ControllerSimulator configured;
    applyOptions(options, configured);
    QCOMPARE(configured.withDevice([](ControllerDevice& device) {
                 return std::tuple{device.statusCode(Channel::B), device.statusCode(Channel::A),
                                   device.channelValue(ChannelSetting::LeakDistance, Channel::A),
                                   device.log().records().size()};
             }), (std::tuple{std::uint8_t{2}, std::uint8_t{1}, 1234u, std::size_t{40}}));

    const std::vector<std::vector<std::string_view>> badLines{
        {"--address", "256"}, {"--log-records"}, {"--leak-a", "x"}, {"--frobnicate"}};
    for (const auto& bad : badLines) {
        SimulatorOptions ignored;
        QVERIFY(!parseOptions(bad, ignored).error.empty());
    }
}

void SimulatorTest::executableServesUntilTerminated()
{
    QTemporaryDir directory;
    const QString link = directory.filePath("controller");
    QProcess process;
    process.start(KT_SIM_EXECUTABLE, {"--link", link, "--address", "3"});
    QVERIFY(process.waitForReadyRead(10'000));
    const QString devicePath = QString::fromLocal8Bit(process.readLine()).trimmed();
    QCOMPARE(QFileInfo(link).symLinkTarget(), devicePath);

    console_ = std::make_unique<ConsoleEnd>(link.toStdString());
    QCOMPARE(shown(exchange(frame("03 03 40 10 00 01"), 7)), shown(frame("03 03 02 00 00")));

    process.terminate();
    QVERIFY(process.waitForFinished(10'000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(SimulatorTest)
#include "test_sim.moc"
