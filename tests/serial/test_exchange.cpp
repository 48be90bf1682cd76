#include "test_serial.h"

#include <future>
#include <thread>

#include <QTest>

#include "console_line.h"
#include "serial/crc16.h"
#include "serial/exchange.h"
#include "timing.h"

using namespace kt::serial;
using namespace kt::serial::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(kt::serial::ReplyStatus)

namespace {

constexpr int kPort = 7;
constexpr int kBaud = 19200;

Bytes bytesOf(const QByteArray& data)
{
    return Bytes(data.begin(), data.end());
}

// Reading channel A's cable length: a 9-byte reply carrying four value bytes.
const Bytes kReadLengthCommand{0x03, 0x60, 0x01, 0x00, 0x02};
constexpr std::size_t kReadLengthReplySize = 9;

}  // namespace

void TestSerial::checksum_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<quint16>("expected");  // high byte first on the wire

    QTest::newRow("check value") << QByteArray("123456789") << quint16(0x374B);
    QTest::newRow("read cable length A")
        << QByteArray::fromHex("010360010002") << quint16(0x8BCB);
    QTest::newRow("write cable length A")
        << QByteArray::fromHex("010660010002000004E2") << quint16(0xE7C3);
    QTest::newRow("read clock") << QByteArray::fromHex("010360100004") << quint16(0x5BCC);
    QTest::newRow("write clock")
        << QByteArray::fromHex("0110601000042012030509070003") << quint16(0x7DA6);
    QTest::newRow("write baud rate") << QByteArray::fromHex("0106800000012580") << quint16(0xB2F7);
    QTest::newRow("write bus address") << QByteArray::fromHex("0106800100010005") << quint16(0x5404);
}

void TestSerial::checksum()
{
    QFETCH(QByteArray, message);
    QFETCH(quint16, expected);
    const Bytes bytes = bytesOf(message);

    QCOMPARE(crc16Modbus(bytes), expected);

    const Bytes frame = frameRequest(bytes.front(), std::span(bytes).subspan(1));
    Bytes onTheWire = bytes;
    onTheWire.push_back(static_cast<std::uint8_t>(expected >> 8));
    onTheWire.push_back(static_cast<std::uint8_t>(expected & 0xFF));
    QCOMPARE(frame, onTheWire);
    QCOMPARE(crc16Modbus(frame), quint16(0));
    QVERIFY(checksumMatches(frame));

    for (std::size_t position = 0; position < frame.size(); ++position) {
        Bytes damaged = frame;
        damaged[position] ^= 0x10;
        QVERIFY2(!checksumMatches(damaged), qPrintable(QString("byte %1").arg(position)));
    }
}

void TestSerial::drainDiscardsStaleInput_data()
{
    QTest::addColumn<int>("stale");
    QTest::addColumn<int>("discarded");
    QTest::addColumn<int>("earliestMs");

    QTest::newRow("silent line: waits the whole 50 ms") << 0 << 0 << 50;
    QTest::newRow("some stale bytes") << 20 << 20 << 50;
    QTest::newRow("over 500: the rest stays queued, no wait") << 600 << 500 << 0;
}

void TestSerial::drainDiscardsStaleInput()
{
    QFETCH(int, stale);
    QFETCH(int, discarded);
    QFETCH(int, earliestMs);
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    QVERIFY(console.controller.sendQueued(countingBytes(static_cast<std::size_t>(stale))));

    const Clock::time_point start = Clock::now();
    QCOMPARE(drainInput(*console.port), static_cast<std::size_t>(discarded));
    QVERIFY(tookBetween(elapsedSince(start), milliseconds(earliestMs),
                        milliseconds(earliestMs) + kSchedulingSlack));
    QCOMPARE(console.port->queuedInputCount(), static_cast<std::uint32_t>(stale - discarded));
}

void TestSerial::discardTakesOnlyWhatIsQueued()
{
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    QCOMPARE(discardQueuedInput(*console.port), 0u);

    QVERIFY(console.controller.sendQueued(countingBytes(5)));
    QCOMPARE(discardQueuedInput(*console.port), 5u);
    QCOMPARE(console.port->queuedInputCount(), 0u);
}

void TestSerial::transactJudgesTheReply_data()
{
    QTest::addColumn<QByteArray>("reply");  // what the controller answers; empty: nothing
    QTest::addColumn<int>("answerAfterMs");
    QTest::addColumn<ReplyStatus>("status");
    QTest::addColumn<int>("received");

    const auto framed = [](std::uint8_t address, const Bytes& rest) {
        const Bytes frame = frameRequest(address, rest);
        return QByteArray(reinterpret_cast<const char*>(frame.data()),
                          static_cast<qsizetype>(frame.size()));
    };
    const QByteArray accepted = framed(0x01, {0x03, 0x04, 0x00, 0x00, 0x04, 0xE2});
    QByteArray damaged = accepted;
    damaged[5] = static_cast<char>(damaged[5] ^ 0x01);

    QTest::newRow("accepted") << accepted << 0 << ReplyStatus::Accepted << 9;
    QTest::newRow("late but within the wait") << accepted << 200 << ReplyStatus::Accepted << 9;
    QTest::newRow("another station and function: still accepted")
        << framed(0x07, {0x04, 0x04, 0x00, 0x00, 0x00, 0x01}) << 0 << ReplyStatus::Accepted << 9;
    QTest::newRow("one byte short") << accepted.left(8) << 0 << ReplyStatus::ShortReply << 8;
    QTest::newRow("no answer") << QByteArray() << 0 << ReplyStatus::ShortReply << 0;
    QTest::newRow("one bit changed") << damaged << 0 << ReplyStatus::BadChecksum << 9;
}

void TestSerial::transactJudgesTheReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, answerAfterMs);
    QFETCH(ReplyStatus, status);
    QFETCH(int, received);
    const ConsoleLine console(kPort, kBaud);
    QVERIFY(console.port);
    const Bytes request = frameRequest(0x01, kReadLengthCommand);

    // The controller: hears one request, then answers.
    auto heard = std::async(std::launch::async, [&] {
        const Bytes got = console.controller.receive(request.size(), 1s);
        std::this_thread::sleep_for(milliseconds(answerAfterMs));
        console.controller.send(bytesOf(reply));
        return got;
    });
    const Reply answer = transact(*console.port, request, kReadLengthReplySize);

    QCOMPARE(heard.get(), request);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.bytes, bytesOf(reply.left(received)));
}
