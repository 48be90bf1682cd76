// What the link adds to the exchange: stale input modes, a step before the read, traffic order, the poll,
// the same through a device server that splits every reply, and the communication log's words
// for a reply.
#include <QTest>

#include <future>

#include "../serial/device_server.h"
#include "../serial/pseudo_terminal.h"
#include "device/channel_status.h"
#include "device/log_count.h"
#include "link/channel_poll.h"
#include "link/link.h"
#include "link/monitoring.h"
#include "link/traffic_text.h"

using namespace kt;
using namespace kt::serial::test;
using link::Failure;
using link::StaleInput;

namespace {

constexpr int kPort = 3;

// A controller that answers each request it hears with the next reply of its script; an
// empty reply is silence.
std::future<void> answer(const PseudoTerminal& controller, std::vector<Bytes> replies)
{
    return std::async(std::launch::async, [&controller, replies = std::move(replies)] {
        for (const Bytes& reply : replies) {
            controller.receive(8, milliseconds(1000));
            controller.send(reply);
        }
    });
}

Bytes replyWithWord(std::uint8_t function, std::uint16_t word) { return serial::frameRequest(1, Bytes{function, 0x02, std::uint8_t(word >> 8), std::uint8_t(word)}); }

// Writes down what the link moved, as "discarded 3", "sent 8", "received 7 ok".
struct TrafficNotes final : serial::TrafficObserver {
    void sent(std::span<const std::uint8_t> frame) override { notes << QString("sent %1").arg(frame.size()); }
    void received(const serial::ObservedReply& r) override
    {
        notes << QString("received %1 %2").arg(r.bytes.size()).arg(r.verdict == serial::ReplyVerdict::Accepted ? "ok" : "failed");
    }
    void discarded(std::span<const std::uint8_t> bytes) override { notes << QString("discarded %1").arg(bytes.size()); }
    QStringList notes;
};

// A part of an answer, sent this long after the part before it (or the request).
struct Answer { int afterMs; Bytes bytes; };
constexpr int kRelayWaitMs = 300;

// A channel poll, single or monitoring: the status word (channel B's code, then A's), the
// distance replies in order (-1: silence), and the report of what it read.
struct Poll { std::uint16_t statusWord; QList<int> distances; bool monitoring; QString report; };

}  // namespace

Q_DECLARE_METATYPE(Poll)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(kt::serial::ReplyVerdict)

class LinkTest : public QObject {
    Q_OBJECT

private slots:
    void staleInputAndTraffic_data()
    {
        QTest::addColumn<int>("staleInput");
        QTest::addColumn<QStringList>("traffic");  // then the outcome
        QTest::newRow("drained") << int(StaleInput::Drain) << QStringList{"discarded 3", "sent 8", "received 7 ok", "258"};
        QTest::newRow("discarded") << int(StaleInput::Discard) << QStringList{"discarded 3", "sent 8", "received 7 ok", "258"};
        // Kept, the stale bytes are taken for the reply's start.
        QTest::newRow("kept") << int(StaleInput::Keep) << QStringList{"sent 8", "received 7 failed", "bad checksum"};
    }
    void staleInputAndTraffic()
    {
        QFETCH(int, staleInput);
        QFETCH(QStringList, traffic);
        const ConsoleLine line(kPort, 9600);
        QVERIFY(line.port);
        QVERIFY(line.controller.sendQueued(Bytes{0xAA, 0xBB, 0xCC}));
        auto heard = answer(line.controller, {replyWithWord(0x03, 258)});
        TrafficNotes observer;
        link::Link link(*line.port, &observer);

        bool heardBeforeRead = false;
        const link::Result<std::uint16_t> count = link.run(
            1, device::logCountRead(),
            {StaleInput(staleInput), [&] { heardBeforeRead = line.port->queuedInputCount() > 0; }});

        observer.notes << (count ? QString::number(*count) : count.failure() == Failure::BadChecksum ? "bad checksum" : "short");
        QCOMPARE(observer.notes, traffic);
        QVERIFY(heardBeforeRead);  // the step runs once the reply is waiting, before it is read
        heard.wait();
    }

    // Another master's request passed on, the controller answering with these parts, each
    // this long after the one before: what reaches the other master. Whatever the answer, a
    // late reply is never left for the next exchange, which reads its own reply.
    void relay_data()
    {
        QTest::addColumn<QList<Answer>>("parts");
        QTest::addColumn<Bytes>("relayed");
        const Bytes reply = replyWithWord(0x03, 111);
        const Bytes split4(reply.begin(), reply.begin() + 4), rest(reply.begin() + 4, reply.end());
        QTest::newRow("whole") << QList<Answer>{{0, reply}} << reply;
        QTest::newRow("split by a pause beyond the silence") << QList<Answer>{{0, split4}, {60, rest}} << reply;
        Bytes lateThenReply = serial::frameRequest(2, Bytes{0x03, 0x02, 0x00, 0x07});
        lateThenReply.insert(lateThenReply.end(), reply.begin(), reply.end());
        QTest::newRow("behind another request's late reply") << QList<Answer>{{0, lateThenReply}} << reply;
        const Bytes refused = serial::frameRequest(1, Bytes{0x83, 0x02});
        QTest::newRow("refused") << QList<Answer>{{0, refused}} << refused;
        QTest::newRow("silent") << QList<Answer>{} << Bytes{};
        QTest::newRow("after the wait") << QList<Answer>{{kRelayWaitMs + 10, reply}} << Bytes{};
    }
    void relay()
    {
        QFETCH(QList<Answer>, parts);
        QFETCH(Bytes, relayed);
        const ConsoleLine line(kPort, 9600);
        auto heard = std::async(std::launch::async, [&line, &parts] {
            line.controller.receive(8, milliseconds(1000));
            for (const Answer& part : parts) {
                std::this_thread::sleep_for(milliseconds(part.afterMs));
                line.controller.send(part.bytes);
            }
            line.controller.receive(8, milliseconds(1000));
            line.controller.send(replyWithWord(0x03, 258));
        });
        link::Link link(*line.port);
        const Bytes request = serial::frameRequest(1, device::logCountRead().request);
        const auto start = std::chrono::steady_clock::now();
        QCOMPARE(link.relay(request, 7, start + milliseconds(kRelayWaitMs), milliseconds(20)), relayed);
        if (relayed.empty())
            QVERIFY(std::chrono::steady_clock::now() - start >= milliseconds(kRelayWaitMs));
        const link::Result<std::uint16_t> next = link.run(1, device::logCountRead(), {StaleInput::Discard});
        QVERIFY(next);
        QCOMPARE(*next, 258);
        heard.wait();
    }

    // Through a device server that forwards each byte in a segment of its own, the reply's
    // bytes 5 ms apart: stale input is drained as ever, the reply read whole.
    void deviceServerSplittingReplies()
    {
        const PseudoTerminal controller(kPort);
        DeviceServer server(controller.devicePath(), DeviceServer::Program::BytewiseSocat);
        const auto port = serial::openSerialDevice(server.address(), 9600).port;
        QVERIFY(port);
        controller.send(Bytes{0xAA, 0xBB, 0xCC});
        QCOMPARE(serial::waitForBytes(*port, 3, 1000), 3u);
        auto heard = std::async(std::launch::async, [&controller] {
            controller.receive(8, milliseconds(1000));
            for (const std::uint8_t byte : replyWithWord(0x03, 258)) {
                controller.send(Bytes{byte});
                std::this_thread::sleep_for(milliseconds(5));
            }
        });
        TrafficNotes observer;
        link::Link link(*port, &observer);

        const link::Result<std::uint16_t> count = link.run(1, device::logCountRead());
        QVERIFY(count);
        QCOMPARE(*count, 258);
        QCOMPARE(observer.notes, (QStringList{"discarded 3", "sent 8", "received 7 ok"}));
        heard.wait();
    }

    void replyVerdictTexts_data()
    {
        QTest::addColumn<serial::ReplyVerdict>("verdict");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        using enum serial::ReplyVerdict;
        QTest::newRow("accepted") << Accepted << 0 << "正确";
        QTest::newRow("silence") << NoReply << 0 << "无应答";
        QTest::newRow("5 of 9 bytes") << ShortReply << 0 << "长度不足 5/9";
        QTest::newRow("bad checksum") << BadChecksum << 0 << "校验错误";
        QTest::newRow("exception 01") << Exception << 0x01 << "异常应答 01（非法功能）";
        QTest::newRow("exception 02") << Exception << 0x02 << "异常应答 02（非法数据地址）";
        QTest::newRow("exception 06") << Exception << 0x06 << "异常应答 06（从站设备忙）";
        QTest::newRow("exception 07, in common use") << Exception << 0x07 << "异常应答 07（否定确认）";
        QTest::newRow("exception 09, unassigned") << Exception << 0x09 << "异常应答 09";
        QTest::newRow("exception 0B") << Exception << 0x0B << "异常应答 0B（网关目标设备响应失败）";
        QTest::newRow("exception beyond the table") << Exception << 0xC1 << "异常应答 C1";
        QTest::newRow("another station") << OtherStation << 0x07 << "站号不符 07";
        QTest::newRow("another function") << OtherFunction << 0x83 << "功能码不符 83";
    }
    void replyVerdictTexts()
    {
        QFETCH(serial::ReplyVerdict, verdict);
        QFETCH(int, code);
        QFETCH(QString, text);
        link::TrafficRow row{.direction = link::TrafficDirection::Received, .verdict = verdict,
                             .code = std::uint8_t(code), .expectedLength = 9, .responseTimeMs = 42,
                             .bytes = Bytes(5)};
        QCOMPARE(QString::fromStdString(link::trafficField(row, link::TrafficColumn::Verdict)), text);
        QCOMPARE(link::trafficField(row, link::TrafficColumn::ResponseTime), "42");
    }

    void channelPoll_data()
    {
        QTest::addColumn<Poll>("poll");
        QTest::newRow("normal and break, B first") << Poll{0x0200, {}, false, "B2 A0 ok"};
        QTest::newRow("unknown codes are not reported") << Poll{0x0301, {300}, false, "A1 A=300 ok"};
        QTest::newRow("both in leak, B first") << Poll{0x0101, {500, 300}, true, "B1 B=500 A1 A=300 ok"};
        QTest::newRow("a failed distance ends the single poll") << Poll{0x0101, {-1, 300}, false, "B1 short"};
        QTest::newRow("the monitoring reads every distance") << Poll{0x0101, {-1, 300}, true, "B1 A1 A=300 short"};
    }
    void channelPoll()
    {
        QFETCH(Poll, poll);
        const ConsoleLine line(kPort, 9600);
        QVERIFY(line.port);
        std::vector<Bytes> replies{replyWithWord(0x04, poll.statusWord)};
        for (int distance : poll.distances)
            replies.push_back(distance < 0 ? Bytes{} : replyWithWord(0x04, std::uint16_t(distance)));
        auto heard = answer(line.controller, replies);
        link::Link link(*line.port);

        QStringList notes;
        const link::PollReport report{
            .statusRead = [&](device::Channel c, device::ChannelStatus s) {
                notes << QString("%1%2").arg(device::channelName(c).data()).arg(int(s));
            },
            .distanceRead = [&](device::Channel c, std::uint16_t d) {
                notes << QString("%1=%2").arg(device::channelName(c).data()).arg(d);
            }};
        const link::StationReading reading = poll.monitoring ? link::Monitoring(link).poll(1, report)
                                                             : link::pollChannels(link, 1, report);
        notes << (reading.failure ? "short" : "ok");
        QCOMPARE(notes.join(' '), poll.report);
        heard.wait();
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "test_link.moc"
