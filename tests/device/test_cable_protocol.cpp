#include <QTest>

#include <tuple>

#include "device/cable_parameters.h"
#include "device/frames.h"
#include "device/text_entry.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

// The operator's number entries and the cable parameter frames.
class CableProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void integerEntries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("integer");  // as atoi reads it, saturating
        QTest::addColumn<int>("address");     // as a station address; -1: refused
        QTest::addColumn<int>("word");        // as a register word; -1: refused
        QTest::addColumn<int>("periodMs");
        const auto row = [](const char* text, qint64 integer, int address, int word, int periodMs) {
            QTest::addRow("'%s'", text) << QString(text) << integer << address << word << periodMs;
        };
        row(" \t-17", -17, -1, -1, 0);
        row("+5", 5, 5, 5, 5);
        row("12.9abc", 12, 12, 12, 12);
        row("", 0, 0, 0, 0);
        row("abc", 0, 0, 0, 0);
        row("-", 0, 0, 0, 0);
        row("255", 255, 255, 255, 255);
        row("256", 256, -1, 256, 256);
        row("65535", 65535, -1, 65535, 65535);
        row("65536", 65536, -1, -1, 65536);
        row("-1", -1, -1, -1, 0);
        row("99999999999999999999999", INT64_MAX, -1, -1, INT32_MAX);
        row("-99999999999999999999999", -INT64_MAX, -1, -1, 0);
    }
    void integerEntries()
    {
        QFETCH(QString, text);
        QFETCH(qint64, integer);
        QFETCH(int, address);
        QFETCH(int, word);
        QFETCH(int, periodMs);
        const std::string typed = text.toStdString();
        QCOMPARE(parseInteger(typed), integer);
        QCOMPARE(parseStationAddress(typed), address < 0 ? std::nullopt : std::optional<std::uint8_t>(address));
        QCOMPARE(parseWordEntry(typed), word < 0 ? std::nullopt : std::optional<std::uint16_t>(word));
        QCOMPARE(parsePeriodEntry(typed), periodMs);
    }

    void lengthEntriesTruncateToHundredths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<std::int32_t>>("hundredths");
        using Result = std::optional<std::int32_t>;
        QTest::newRow("12.5") << "12.5" << Result(1250);
        QTest::newRow("1.15 truncates") << "1.15" << Result(114);
        QTest::newRow("0.001") << "0.001" << Result(0);
        QTest::newRow("empty") << "" << Result(0);
        QTest::newRow("text") << "abc" << Result(0);
        QTest::newRow("negative") << " -0.02m" << Result(-2);
        QTest::newRow("exponent") << "1.5e2" << Result(15000);
        QTest::newRow("hexadecimal") << "0x10" << Result(1600);
        QTest::newRow("hex digits at the ends of their ranges") << "0x09afAF" << Result(63479900);
        QTest::newRow("upper-case hex, signed exponent") << "0X1P+2" << Result(400);
        QTest::newRow("largest") << "21474836.47" << Result(INT32_MAX);
        QTest::newRow("smallest") << "-21474836.48" << Result(INT32_MIN);
        QTest::newRow("too large") << "21474836.48" << Result();
        QTest::newRow("too small") << "-21474836.49" << Result();
        QTest::newRow("beyond double") << "1e400" << Result();
        QTest::newRow("below double") << "1e-400" << Result(0);
        QTest::newRow("infinity") << "Infinity" << Result();
        QTest::newRow("not a number") << "nan" << Result();
        // Found by fuzzing: atof reads one sign only, "0x" only before a hex digit, and an
        // exponent only with a digit after its marker and sign.
        QTest::newRow("two signs") << "--5" << Result(0);
        QTest::newRow("plus then minus") << "+-5" << Result(0);
        QTest::newRow("sign after 0x") << "0x-1" << Result(0);
        QTest::newRow("infinity after 0x") << "0xinf" << Result(0);
        QTest::newRow("hex fraction") << "0x.8" << Result(50);
        QTest::newRow("hex exponent with two signs") << "0x3p+-8299" << Result(300);
        // Out of the double range: the digits' place decides, not the exponent's sign.
        QTest::newRow("many zeros, no exponent") << "0." + QString(400, '0') + "1" << Result(0);
        QTest::newRow("many digits, negative exponent") << "1" + QString(400, '0') + "e-50" << Result();
        QTest::newRow("many hex digits, negative exponent") << "0x1" + QString(300, '0') + "p-10" << Result();
    }
    void lengthEntriesTruncateToHundredths()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<std::int32_t>, hundredths);
        QCOMPARE(parseLengthEntry(text.toStdString()), hundredths);
    }

    void requestsCarryTheRegisterAndValue()
    {
        // Function code onwards, without the checksum.
        const QList<QPair<Bytes, QByteArray>> requests{
            {cableReadRequest(CableSetting::LengthA), "0360010002"},
            {cableReadRequest(CableSetting::LengthB), "0360020002"},
            {cableReadRequest(CableSetting::ResistivityB), "0360060001"},
            {cableReadRequest(CableSetting::CalibrationB), "0360090001"},
            {cableLengthWriteRequest(CableSetting::LengthA, 1250), "0660010002 000004E2"},
            {cableLengthWriteRequest(CableSetting::LengthB, -2), "0660020002 FFFFFFFE"},
            {cableWordWriteRequest(CableSetting::ResistivityA, 400), "0660040001 0190"},
            {cableWordWriteRequest(CableSetting::CalibrationA, 0xFFFF), "0660080001 FFFF"}};
        for (const auto& [request, expected] : requests)
            QCOMPARE(asByteArray(request), QByteArray::fromHex(expected));
    }

    void repliesBecomeFieldTexts()
    {
        // The reply's bytes after address and function, and the field text; null: no value.
        const QList<std::tuple<CableSetting, QByteArray, QString>> replies{
            {CableSetting::LengthA, "04 000004E2", "12.50"},
            {CableSetting::LengthB, "04 FFFFFFFE", "-0.02"},
            {CableSetting::LengthA, "04 FFFFFFFF", QString()},
            {CableSetting::LengthA, "04 7FFFFFFF", "21474836.47"},
            {CableSetting::ResistivityA, "02 0190", "400"},
            {CableSetting::CalibrationB, "02 FFFF", "65535"}};
        for (const auto& [setting, data, text] : replies) {
            const Bytes reply = framed(0x01, hexBytes("03" + data));
            QCOMPARE(reply.size(), cableReadReplyLength(setting));
            const std::optional<std::string> shown = cableValueText(setting, reply);
            QCOMPARE(shown.has_value(), !text.isNull());
            QCOMPARE(QString::fromStdString(shown.value_or("")), text);
        }
    }

    void writeRepliesNeedBothStatusBytesZero()
    {
        QVERIFY(isWriteAccepted(hexBytes("01 06 00 0000 0000")));
        QVERIFY(!isWriteAccepted(hexBytes("01 06 00 0100 0000")));
        QVERIFY(!isWriteAccepted(hexBytes("01 06 00 0001 0000")));
    }
};

QTEST_APPLESS_MAIN(CableProtocolTest)
#include "test_cable_protocol.moc"
