#include <QTest>

#include "device/address_probe.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "device/log_export.h"
#include "device/log_row.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

namespace {

LogRow rowFromHex(int rowNumber, const QByteArray& recordHex)
{
    return logRow(rowNumber, decodeLogRecord(hexBytes(recordHex)));
}

}  // namespace

class EventLogProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void countClearAndProbe()
    {
        QCOMPARE(asByteArray(logCountRequest()), QByteArray::fromHex("0340100001"));
        QCOMPARE(addressProbeRequest(), logCountRequest());
        QCOMPARE(asByteArray(logClearRequest()), QByteArray::fromHex("0640100001"));  // one word named, none carried
        QCOMPARE(int{logCount(framed(1, hexBytes("0302" "0102")))}, 258);
        QCOMPARE(int{logCount(framed(1, hexBytes("0302" "FFFF")))}, 65535);
    }

    void downloadPlan()
    {
        // Each block: pause, first register, register count, reply length, first row, records.
        const QList<int> fullFirst{0, 0x5000, 125, 255, 0, 25};
        const QList<QPair<int, QList<QList<int>>>> plans{
            {0, {{0, 0x5000, 0, 5, 0, 0}}},  // still asks
            {1, {{0, 0x5000, 5, 15, 0, 1}}},
            {25, {fullFirst}},
            {26, {fullFirst, {300, 0x50FA, 5, 15, 25, 1}}},
            {40, {fullFirst, {300, 0x50FA, 75, 155, 25, 15}}},
            {41, {}},
            {65535, {}}};
        for (const auto& [recordCount, blocks] : plans) {
            QList<QList<int>> plan;
            for (const LogBlock& b : logDownloadPlan(static_cast<std::uint16_t>(recordCount)))
                plan << QList<int>{int(b.pauseBeforeMs), b.firstRegister, b.registerCount, int(b.replyLength),
                                   b.firstRow, b.recordCount};
            QVERIFY2(plan == blocks, qPrintable(QString("%1 records").arg(recordCount)));
        }
    }

    void blockRequestsAndRecordPlaces()
    {
        const std::vector<LogBlock> fullLog = logDownloadPlan(40);
        QCOMPARE(asByteArray(logBlockRequest(logDownloadPlan(0).at(0))), QByteArray::fromHex("0350000000"));
        QCOMPARE(asByteArray(logBlockRequest(fullLog.at(0))), QByteArray::fromHex("035000007D"));
        QCOMPARE(asByteArray(logBlockRequest(fullLog.at(1))), QByteArray::fromHex("0350FA004B"));

        const Bytes reply =
            framed(1, hexBytes("031E" "20100101000001000001" "20110202000002000002" "20120303000001000003"));
        QCOMPARE(reply.size(), logDownloadPlan(3).at(0).replyLength);
        for (int index = 0; index < 3; ++index) {
            const LogRecord record = logRecordInBlock(reply, index);
            QCOMPARE(record.time.year, 2010 + index);
            QCOMPARE(record.channelACode, std::uint8_t{0});
            QCOMPARE(int{record.leakDistance}, 1 + index);
        }
    }

    void rowTexts_data()
    {
        QTest::addColumn<int>("rowNumber");
        QTest::addColumn<QByteArray>("recordHex");  // time, code B, code A, distance
        QTest::addColumn<QStringList>("columns");
        const auto row = [](const char* name, int number, const char* events, const QStringList& tail) {
            QTest::newRow(name) << number << "201007070905" + QByteArray(events)
                                << QStringList{QString::number(number), "2010-7-7 9:5"} + tail;
        };
        row("leak on B", 3, "01 00 04D2", {"B", "泄露", "12.34"});
        row("break on A", 0, "00 02 04D2", {"A", "断线", ""});
        row("A's leak wins over B's break", 1, "02 01 0064", {"A", "泄露", "1.00"});
        row("A's break wins over B's leak", 1, "01 02 0064", {"A", "断线", ""});
        row("unknown code on A leaves B", 2, "02 03 0000", {"B", "断线", ""});
        row("no event", 39, "00 00 04D2", {"", "", ""});
        row("leak at 0", 0, "00 01 0000", {"A", "泄露", "0.00"});
        row("leak at FFFF", 0, "00 01 FFFF", {"A", "泄露", "655.35"});
        QTest::newRow("two-digit time") << 0 << QByteArray("209912312359 0000 0000")
                                        << QStringList{"0", "2099-12-31 23:59", "", "", ""};
        QTest::newRow("nibbles above 9") << 0 << QByteArray("201A1A1A1AFF 0000 0000")
                                         << QStringList{"0", "2020-20-20 20:165", "", "", ""};
    }
    void rowTexts()
    {
        QFETCH(int, rowNumber);
        QFETCH(QByteArray, recordHex);
        QFETCH(QStringList, columns);
        const LogRow row = rowFromHex(rowNumber, recordHex);
        QStringList shown;
        for (std::string_view text : row.inColumnOrder())
            shown.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QCOMPARE(shown, columns);
    }

    void exportLines()
    {
        const QByteArray leakInGbk = QByteArray::fromHex("D0B9C2B6");
        const QByteArray breakInGbk = QByteArray::fromHex("B6CFCFDF");
        QCOMPARE(asByteArray(exportLine(rowFromHex(3, "201007070905 01 00 04D2"))),
                 "3  2010-7-7 9:5  B  " + leakInGbk + "  12.34\r\n");
        QCOMPARE(asByteArray(exportLine(rowFromHex(12, "201007070905 00 02 04D2"))),
                 "12  2010-7-7 9:5  A  " + breakInGbk + "  \r\n");
        QCOMPARE(asByteArray(exportLine(rowFromHex(0, "201007070905 00 00 0000"))), QByteArray("0  2010-7-7 9:5      \r\n"));
    }
};

QTEST_APPLESS_MAIN(EventLogProtocolTest)
#include "test_event_log_protocol.moc"
