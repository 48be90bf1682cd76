// What the operator reads: channel states, leak distances, cable values, log rows, export lines.
#include <QTest>

#include <tuple>

#include "device/cable_parameters.h"
#include "device/channel_status.h"
#include "device/log_export.h"
#include "device/log_row.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

namespace {

LogRow rowFromHex(int number, QByteArray hex) { return logRow(number, decodeLogRecord(hexBytes(hex.replace(" ", "")))); }

}  // namespace

class TextsTest : public QObject {
    Q_OBJECT

private slots:
    void statusCodesAndDistances()
    {
        const QList<std::tuple<int, QString>> codes{{0, "正常"}, {1, "泄露"}, {2, "断线"}, {3, ""}};
        for (const auto& [code, text] : codes) {
            const std::optional<ChannelStatus> status = channelStatus(static_cast<std::uint8_t>(code));
            QCOMPARE(status ? fromUtf8(channelStatusText(*status)) : QString(""), text);
        }
        // The distance as a single poll and as the monitoring show it.
        const QList<std::tuple<std::uint16_t, QString, QString>> distances{
            {0, "0.00", "0.00"}, {1234, "12.34", "12.34"}, {0xFFFE, "655.34", "655.34"}, {0xFFFF, "655.35", ""}};
        for (const auto& [distance, polled, monitored] : distances)
            QCOMPARE(QString::fromStdString(polledLeakDistanceText(distance) + "|" + monitoredLeakDistanceText(distance)), polled + "|" + monitored);
    }

    void cableValues()
    {
        const QList<std::tuple<CableSetting, std::int32_t, QString>> values{
            {CableSetting::LengthA, 1250, "12.50"},      {CableSetting::LengthB, -2, "-0.02"},
            {CableSetting::LengthA, INT32_MAX, "21474836.47"},
            {CableSetting::LengthB, INT32_MIN, "-21474836.48"}, {CableSetting::ResistivityA, 400, "400"},
            {CableSetting::CalibrationB, 65535, "65535"}};
        for (const auto& [setting, value, text] : values)
            QCOMPARE(QString::fromStdString(cableValueText(setting, value)), text);
    }

    void logRows_data()
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
        row("unknown code on A leaves B", 2, "02 03 0000", {"B", "断线", ""});
        row("no event", 39, "00 00 04D2", {"", "", ""});
        row("leak at FFFF", 0, "00 01 FFFF", {"A", "泄露", "655.35"});
        QTest::newRow("two-digit time") << 0 << QByteArray("209912312359 0000 0000")
                                        << QStringList{"0", "2099-12-31 23:59", "", "", ""};
        QTest::newRow("nibbles above 9") << 0 << QByteArray("201A1A1A1AFF 0000 0000")
                                         << QStringList{"0", "2020-20-20 20:165", "", "", ""};
    }
    void logRows()
    {
        QFETCH(int, rowNumber);
        QFETCH(QByteArray, recordHex);
        QFETCH(QStringList, columns);
        const LogRow row = rowFromHex(rowNumber, recordHex);
        QStringList shownColumns;
        for (std::string_view text : row.inColumnOrder())
            shownColumns.append(fromUtf8(text));
        QCOMPARE(shownColumns, columns);
    }

    void exportLinesAreGbkWithCrLf()
    {
        const QByteArray leakInGbk = QByteArray::fromHex("D0B9C2B6");
        const QByteArray breakInGbk = QByteArray::fromHex("B6CFCFDF");
        const auto line = [](int number, const char* record) {
            return QByteArray::fromHex(asHex(exportLine(rowFromHex(number, record))));
        };
        QCOMPARE(line(3, "201007070905 01 00 04D2"), "3  2010-7-7 9:5  B  " + leakInGbk + "  12.34\r\n");
        QCOMPARE(line(12, "201007070905 00 02 04D2"), "12  2010-7-7 9:5  A  " + breakInGbk + "  \r\n");
        QCOMPARE(line(0, "201007070905 00 00 0000"), QByteArray("0  2010-7-7 9:5      \r\n"));
    }
};

QTEST_APPLESS_MAIN(TextsTest)
#include "test_texts.moc"
