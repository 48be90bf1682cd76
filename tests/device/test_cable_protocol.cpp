#include <QTest>

#include "device/cable_parameters.h"
#include "device/frames.h"
#include "device/text_entry.h"
#include "device/value_format.h"
#include "protocol_test_support.h"
#include "serial/exchange.h"

using namespace kt::device;

Q_DECLARE_METATYPE(kt::device::Bytes)
Q_DECLARE_METATYPE(kt::device::CableSetting)
Q_DECLARE_METATYPE(std::optional<std::int32_t>)
Q_DECLARE_METATYPE(std::optional<std::string>)

using test::framed;

class CableProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void integersReadLikeAtoi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "300" << qint64(300);
        QTest::newRow("blanks and sign") << " \t-17" << qint64(-17);
        QTest::newRow("plus") << "+5" << qint64(5);
        QTest::newRow("stops at junk") << "12abc" << qint64(12);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("no digits") << "abc" << qint64(0);
        QTest::newRow("sign only") << "-" << qint64(0);
        QTest::newRow("decimal point stops") << "7.9" << qint64(7);
        QTest::newRow("saturates") << "99999999999999999999999" << qint64(INT64_MAX);
        QTest::newRow("saturates negative") << "-99999999999999999999999" << qint64(-INT64_MAX);
    }
    void integersReadLikeAtoi()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(parseInteger(text.toStdString()), value);
    }

    void rangeChecksRefuseWhatDoesNotFitTheWire()
    {
        QCOMPARE(parseStationAddress("0"), std::optional<std::uint8_t>(0));
        QCOMPARE(parseStationAddress("255"), std::optional<std::uint8_t>(255));
        QCOMPARE(parseStationAddress(""), std::optional<std::uint8_t>(0));
        QCOMPARE(parseStationAddress("300"), std::nullopt);
        QCOMPARE(parseStationAddress("-1"), std::nullopt);
        QCOMPARE(parseStationAddress("99999999999999999999999"), std::nullopt);
        QCOMPARE(parseWordEntry("65535"), std::optional<std::uint16_t>(65535));
        QCOMPARE(parseWordEntry("400x"), std::optional<std::uint16_t>(400));
        QCOMPARE(parseWordEntry("70000"), std::nullopt);
        QCOMPARE(parseWordEntry("-5"), std::nullopt);
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
        QTest::newRow("largest") << "21474836.47" << Result(INT32_MAX);
        QTest::newRow("smallest") << "-21474836.48" << Result(INT32_MIN);
        QTest::newRow("too large") << "21474836.48" << Result();
        QTest::newRow("too small") << "-21474836.49" << Result();
        QTest::newRow("beyond double") << "1e400" << Result();
        QTest::newRow("below double") << "1e-400" << Result(0);
        QTest::newRow("infinity") << "inf" << Result();
        QTest::newRow("not a number") << "nan" << Result();
        // Found by fuzzing: atof reads one sign only, and "0x" only before a hex digit.
        QTest::newRow("two signs") << "--5" << Result(0);
        QTest::newRow("plus then minus") << "+-5" << Result(0);
        QTest::newRow("sign after 0x") << "0x-1" << Result(0);
        QTest::newRow("infinity after 0x") << "0xinf" << Result(0);
        QTest::newRow("hex fraction") << "0x.8" << Result(50);
        // Out of the double range: the digits' place decides, not the exponent's sign.
        QTest::newRow("many zeros, no exponent")
            << "0." + QString(400, '0') + "1" << Result(0);
        QTest::newRow("many digits, negative exponent")
            << "1" + QString(400, '0') + "e-50" << Result();
        QTest::newRow("many hex digits, negative exponent")
            << "0x1" + QString(300, '0') + "p-10" << Result();
    }
    void lengthEntriesTruncateToHundredths()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<std::int32_t>, hundredths);
        QCOMPARE(parseLengthEntry(text.toStdString()), hundredths);
    }

    void requestsCarryTheRegisterAndValue_data()
    {
        QTest::addColumn<Bytes>("commandBytes");
        QTest::addColumn<Bytes>("wire");
        QTest::newRow("read length A") << cableReadRequest(CableSetting::LengthA)
                                       << Bytes{0x01, 0x03, 0x60, 0x01, 0x00, 0x02, 0x8B, 0xCB};
        QTest::newRow("read length B") << cableReadRequest(CableSetting::LengthB)
                                       << framed(0x01, {0x03, 0x60, 0x02, 0x00, 0x02});
        QTest::newRow("read resistivity B") << cableReadRequest(CableSetting::ResistivityB)
                                            << framed(0x01, {0x03, 0x60, 0x06, 0x00, 0x01});
        QTest::newRow("read calibration B") << cableReadRequest(CableSetting::CalibrationB)
                                            << framed(0x01, {0x03, 0x60, 0x09, 0x00, 0x01});
        QTest::newRow("write length A 12.5")
            << cableLengthWriteRequest(CableSetting::LengthA, 1250)
            << Bytes{0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x04, 0xE2, 0xE7, 0xC3};
        QTest::newRow("write length B negative")
            << cableLengthWriteRequest(CableSetting::LengthB, -2)
            << framed(0x01, {0x06, 0x60, 0x02, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0xFE});
        QTest::newRow("write resistivity A 400")
            << cableWordWriteRequest(CableSetting::ResistivityA, 400)
            << framed(0x01, {0x06, 0x60, 0x04, 0x00, 0x01, 0x01, 0x90});
        QTest::newRow("write calibration A") << cableWordWriteRequest(CableSetting::CalibrationA, 0xFFFF)
                                             << framed(0x01, {0x06, 0x60, 0x08, 0x00, 0x01, 0xFF, 0xFF});
    }
    void requestsCarryTheRegisterAndValue()
    {
        QFETCH(Bytes, commandBytes);
        QFETCH(Bytes, wire);
        QCOMPARE(kt::serial::frameRequest(0x01, commandBytes), wire);
    }

    void repliesBecomeFieldTexts_data()
    {
        QTest::addColumn<CableSetting>("setting");
        QTest::addColumn<Bytes>("reply");
        QTest::addColumn<std::optional<std::string>>("text");
        using Text = std::optional<std::string>;
        QTest::newRow("length") << CableSetting::LengthA
                                << framed(0x01, {0x03, 0x04, 0x00, 0x00, 0x04, 0xE2})
                                << Text("12.50");
        QTest::newRow("negative length") << CableSetting::LengthB
                                         << framed(0x01, {0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFE})
                                         << Text("-0.02");
        QTest::newRow("no length") << CableSetting::LengthA
                                   << framed(0x01, {0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF})
                                   << Text();
        QTest::newRow("largest length") << CableSetting::LengthA
                                        << framed(0x01, {0x03, 0x04, 0x7F, 0xFF, 0xFF, 0xFF})
                                        << Text("21474836.47");
        QTest::newRow("word") << CableSetting::ResistivityA
                              << framed(0x01, {0x03, 0x02, 0x01, 0x90}) << Text("400");
        QTest::newRow("word all ones") << CableSetting::CalibrationB
                                       << framed(0x01, {0x03, 0x02, 0xFF, 0xFF})
                                       << Text("65535");
    }
    void repliesBecomeFieldTexts()
    {
        QFETCH(CableSetting, setting);
        QFETCH(Bytes, reply);
        QFETCH(std::optional<std::string>, text);
        QCOMPARE(reply.size(), cableReadReplyLength(setting));
        QCOMPARE(cableValueText(setting, reply), text);
    }

    void writeRepliesNeedBothStatusBytesZero()
    {
        QVERIFY(isWriteAccepted(Bytes{0x01, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00}));
        QVERIFY(!isWriteAccepted(Bytes{0x01, 0x06, 0x00, 0x00, 0x01, 0x00, 0x00}));
        QVERIFY(!isWriteAccepted(Bytes{0x01, 0x06, 0x00, 0x01, 0x00, 0x00, 0x00}));
    }

    void hundredthsFormatWithTwoDecimals()
    {
        QCOMPARE(formatHundredths(0), std::string("0.00"));
        QCOMPARE(formatHundredths(1234), std::string("12.34"));
        QCOMPARE(formatHundredths(65535), std::string("655.35"));
        QCOMPARE(formatHundredths(-2), std::string("-0.02"));
    }
};

QTEST_APPLESS_MAIN(CableProtocolTest)
#include "test_cable_protocol.moc"
