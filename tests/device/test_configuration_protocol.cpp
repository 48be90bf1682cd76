#include <QTest>

#include "device/bus_settings.h"
#include "device/text_entry.h"
#include "device/zero_calibration.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(ZeroCalibrationOutcome)

namespace {

// What a handler sends for the typed text; empty when the text is refused.
template <typename Parse, typename Build>
QByteArray commandFor(const QByteArray& text, Parse parse, Build build)
{
    const auto value = parse(std::string_view(text.data(), text.size()));
    return value ? asByteArray(build(*value)) : QByteArray();
}

}  // namespace

// The one-shot settings commands: the controller's baud rate and address, zero calibration.
class ConfigurationProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void busSettingExamplesOnTheWire()
    {
        QCOMPARE(onWire(1, deviceBaudRateWriteRequest(9600)),
                 QByteArray::fromHex("0106800000012580B2F7"));
        QCOMPARE(onWire(1, deviceAddressWriteRequest(5)),
                 QByteArray::fromHex("01068001000100055404"));
        QCOMPARE(kBusSettingReplyLength, std::size_t{7});
    }

    void busSettingEntry_data()
    {
        QTest::addColumn<bool>("isBaudRate");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("commandHex");  // empty: refused
        const auto rate = [](const char* text, const char* command) {
            QTest::addRow("rate '%s'", text) << true << QByteArray(text) << QByteArray(command);
        };
        const auto address = [](const char* text, const char* command) {
            QTest::addRow("address '%s'", text) << false << QByteArray(text) << QByteArray(command);
        };
        rate("2400", "0680000001 0960");
        rate("4800", "0680000001 12C0");
        rate("9600", "0680000001 2580");
        rate("19200", "0680000001 4B00");
        rate("38400", "0680000001 9600");
        rate("", "0680000001 0000");
        rate("65535", "0680000001 FFFF");
        rate("65536", "");
        rate("-1", "");
        address("0", "0680010001 0000");
        address("255", "0680010001 00FF");
        address("", "0680010001 0000");
        address("256", "");
        address("-1", "");
    }

    void busSettingEntry()
    {
        QFETCH(bool, isBaudRate);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, commandHex);
        const QByteArray command = isBaudRate
            ? commandFor(text, parseWordEntry, deviceBaudRateWriteRequest)
            : commandFor(text, parseStationAddress, deviceAddressWriteRequest);
        QCOMPARE(command, QByteArray::fromHex(commandHex));
    }

    void zeroCalibrationRequests()
    {
        QCOMPARE(asByteArray(zeroCalibrationRequest(Channel::A)),
                 QByteArray::fromHex("0440080001"));
        QCOMPARE(asByteArray(zeroCalibrationRequest(Channel::B)),
                 QByteArray::fromHex("0440090001"));
        QCOMPARE(kZeroCalibrationReplyLength, std::size_t{7});
    }

    void zeroCalibrationReplies_data()
    {
        QTest::addColumn<int>("replyAddress");  // the request went to station 3
        QTest::addColumn<QByteArray>("resultHex");
        QTest::addColumn<ZeroCalibrationOutcome>("expected");
        QTest::newRow("success") << 3 << QByteArray("0000") << ZeroCalibrationOutcome::Success;
        QTest::newRow("low byte set") << 3 << QByteArray("0001") << ZeroCalibrationOutcome::Failure;
        QTest::newRow("high byte set")
            << 3 << QByteArray("0100") << ZeroCalibrationOutcome::Failure;
        QTest::newRow("another station's success")
            << 4 << QByteArray("0000") << ZeroCalibrationOutcome::OtherStation;
    }

    void zeroCalibrationReplies()
    {
        QFETCH(int, replyAddress);
        QFETCH(QByteArray, resultHex);
        QFETCH(ZeroCalibrationOutcome, expected);
        const auto address = static_cast<std::uint8_t>(replyAddress);
        const Bytes reply = framed(address, hexBytes("0402" + resultHex));
        QCOMPARE(zeroCalibrationOutcome(reply, 3), expected);
    }
};

QTEST_APPLESS_MAIN(ConfigurationProtocolTest)
#include "test_configuration_protocol.moc"
