#include <QTest>

#include <vector>

#include "device/address_probe.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "device/log_export.h"
#include "device/log_row.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(std::vector<LogBlock>)

namespace {

LogRow rowFromHex(int rowNumber, const QByteArray& recordHex)
{
    return logRow(rowNumber, decodeLogRecord(hexBytes(recordHex)));
}

const QByteArray kLeakInGbk = QByteArray::fromHex("D0B9C2B6");
const QByteArray kBreakInGbk = QByteArray::fromHex("B6CFCFDF");

}  // namespace

class EventLogProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void countClearAndProbe()
    {
        QCOMPARE(asByteArray(logCountRequest()), QByteArray::fromHex("0340100001"));
        QCOMPARE(addressProbeRequest(), logCountRequest());
        QCOMPARE(onWire(1, logClearRequest()).size(), 8);  // one word named, none carried
        QCOMPARE(asByteArray(logClearRequest()), QByteArray::fromHex("0640100001"));
        QCOMPARE(kLogCountReplyLength, std::size_t{7});
        QCOMPARE(int{logCount(framed(1, hexBytes("0302" "0102")))}, 258);
        QCOMPARE(int{logCount(framed(1, hexBytes("0302" "FFFF")))}, 65535);
    }

    void downloadPlan_data()
    {
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<std::vector<LogBlock>>("blocks");
        // pause, first register, register count, reply length, first row, records
        const LogBlock fullFirst{0, 0x5000, 125, 255, 0, 25};
        QTest::newRow("0 still asks") << 0 << std::vector<LogBlock>{{0, 0x5000, 0, 5, 0, 0}};
        QTest::newRow("1") << 1 << std::vector<LogBlock>{{0, 0x5000, 5, 15, 0, 1}};
        QTest::newRow("25") << 25 << std::vector<LogBlock>{fullFirst};
        QTest::newRow("26") << 26 << std::vector<LogBlock>{fullFirst, {300, 0x50FA, 5, 15, 25, 1}};
        QTest::newRow("40")
            << 40 << std::vector<LogBlock>{fullFirst, {300, 0x50FA, 75, 155, 25, 15}};
        QTest::newRow("41") << 41 << std::vector<LogBlock>{};
        QTest::newRow("65535") << 65535 << std::vector<LogBlock>{};
    }

    void downloadPlan()
    {
        QFETCH(int, recordCount);
        QFETCH(std::vector<LogBlock>, blocks);
        const std::vector<LogBlock> plan = logDownloadPlan(static_cast<std::uint16_t>(recordCount));
        QCOMPARE(plan.size(), blocks.size());
        for (std::size_t i = 0; i < plan.size(); ++i) {
            QCOMPARE(plan[i].pauseBeforeMs, blocks[i].pauseBeforeMs);
            QCOMPARE(plan[i].firstRegister, blocks[i].firstRegister);
            QCOMPARE(plan[i].registerCount, blocks[i].registerCount);
            QCOMPARE(plan[i].replyLength, blocks[i].replyLength);
            QCOMPARE(plan[i].firstRow, blocks[i].firstRow);
            QCOMPARE(plan[i].recordCount, blocks[i].recordCount);
        }
    }

    void blockRequestsAndRecordPlaces()
    {
        const std::vector<LogBlock> emptyLog = logDownloadPlan(0);
        const std::vector<LogBlock> fullLog = logDownloadPlan(40);
        QCOMPARE(asByteArray(logBlockRequest(emptyLog.at(0))), QByteArray::fromHex("0350000000"));
        QCOMPARE(asByteArray(logBlockRequest(fullLog.at(0))), QByteArray::fromHex("035000007D"));
        QCOMPARE(asByteArray(logBlockRequest(fullLog.at(1))), QByteArray::fromHex("0350FA004B"));

        const Bytes reply = framed(1, hexBytes("031E" "20100101000001000001"
                                               "20110202000002000002" "20120303000001000003"));
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
        const QByteArray time = "201007070905";
        const auto row = [&time](const char* name, int number, const char* events,
                                 const QStringList& tail) {
            QTest::newRow(name) << number << time + events
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
        QCOMPARE(asByteArray(exportLine(rowFromHex(3, "201007070905 01 00 04D2"))),
                 "3  2010-7-7 9:5  B  " + kLeakInGbk + "  12.34\r\n");
        QCOMPARE(asByteArray(exportLine(rowFromHex(12, "201007070905 00 02 04D2"))),
                 "12  2010-7-7 9:5  A  " + kBreakInGbk + "  \r\n");
        QCOMPARE(asByteArray(exportLine(rowFromHex(0, "201007070905 00 00 0000"))),
                 QByteArray("0  2010-7-7 9:5      \r\n"));
    }
};

QTEST_APPLESS_MAIN(EventLogProtocolTest)
#include "test_event_log_protocol.moc"
