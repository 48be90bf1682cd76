#include <QTest>

#include "device/bcd.h"
#include "device/device_clock.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(std::optional<ClockField>)

class ClockProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void bcdTakesEachNibbleAtItsValue()
    {
        const QList<QPair<int, int>> decoded{{0x00, 0}, {0x09, 9}, {0x10, 10}, {0x99, 99}, {0x1A, 20}, {0xFF, 165}};
        for (const auto& [byte, value] : decoded)
            QCOMPARE(bcdToInt(static_cast<std::uint8_t>(byte)), value);
        for (int value = 0; value <= 99; ++value)
            QCOMPARE(bcdToInt(intToBcd(value)), value);
    }

    void readRequestAndReply()
    {
        QCOMPARE(asByteArray(clockReadRequest()), QByteArray::fromHex("0360100004"));
        // Reply bytes 3 to 10 and the year, month, day, hour, minute and second they carry: the
        // spare byte is ignored, nibbles above 9 are taken unchecked.
        const QList<QPair<QByteArray, QList<int>>> replies{
            {"2012030509070003", {2012, 3, 5, 9, 7, 3}}, {"2012030509079903", {2012, 3, 5, 9, 7, 3}},
            {"0000000000000000", {0, 0, 0, 0, 0, 0}}, {"FF1A1A1A1A1A001A", {16520, 20, 20, 20, 20, 20}}};
        for (const auto& [dataHex, fields] : replies) {
            const Bytes reply = framed(1, hexBytes("0308" + dataHex));
            QCOMPARE(reply.size(), kClockReadReplyLength);
            const DateTime t = clockTimeFromReply(reply);
            QCOMPARE((QList<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}), fields);
        }
    }

    void setEntry_data()
    {
        QTest::addColumn<QList<QByteArray>>("texts");  // year, month, day, hour, minute, second
        QTest::addColumn<std::optional<ClockField>>("rejected");
        QTest::addColumn<QByteArray>("dataHex");  // the eight data bytes when accepted
        const auto accepted = [](const char* name, QList<QByteArray> texts, const char* data) {
            QTest::newRow(name) << texts << std::optional<ClockField>() << QByteArray(data);
        };
        const auto refused = [](const char* name, QList<QByteArray> texts, ClockField field) {
            QTest::newRow(name) << texts << std::optional(field) << QByteArray();
        };
        accepted("example", {"2012", "3", "5", "9", "7", "3"}, "2012030509070003");
        accepted("year 2010, month 0", {"2010", "0", "0", "0", "0", "0"}, "2010000000000000");
        accepted("largest values", {"9999", "12", "31", "23", "59", "59"}, "9999123123590059");
        accepted("day 31 in February", {"2012", "2", "31", "0", "0", "0"}, "2012023100000000");
        accepted("read leniently", {" 2012", "+3", "5th", "09", "", "3.9"}, "2012030509000003");
        refused("year 2009", {"2009", "1", "1", "0", "0", "0"}, ClockField::Year);
        refused("year 10000", {"10000", "1", "1", "0", "0", "0"}, ClockField::Year);
        refused("year overflowing", {"99999999999999999999999", "1", "1", "0", "0", "0"}, ClockField::Year);
        refused("year before all others", {"0", "13", "32", "24", "60", "60"}, ClockField::Year);
        refused("month 13", {"2012", "13", "1", "0", "0", "0"}, ClockField::Month);
        refused("month -1", {"2012", "-1", "1", "0", "0", "0"}, ClockField::Month);
        refused("day 32", {"2012", "2", "32", "0", "0", "0"}, ClockField::Day);
        refused("hour 24", {"2012", "1", "1", "24", "0", "0"}, ClockField::Hour);
        refused("minute 60", {"2012", "1", "1", "23", "60", "0"}, ClockField::Minute);
        refused("second 60", {"2012", "1", "1", "23", "59", "60"}, ClockField::Second);
    }
    void setEntry()
    {
        QFETCH(QList<QByteArray>, texts);
        QFETCH(std::optional<ClockField>, rejected);
        QFETCH(QByteArray, dataHex);
        const auto field = [&texts](int i) { return std::string_view(texts[i].constData(), texts[i].size()); };
        const ClockEntryResult result =
            parseClockEntry({field(0), field(1), field(2), field(3), field(4), field(5)});
        QCOMPARE(result.rejectedField, rejected);
        QCOMPARE(result.time.has_value(), !rejected);
        if (result.time)
            QCOMPARE(asByteArray(clockWriteRequest(*result.time)), QByteArray::fromHex("1060100004" + dataHex));
    }
};

QTEST_APPLESS_MAIN(ClockProtocolTest)
#include "test_clock_protocol.moc"
