#include <QTest>

#include <tuple>

#include "device/bus_settings.h"
#include "device/zero_calibration.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

// The one-shot settings commands: the controller's baud rate and address, zero calibration.
class ConfigurationProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void requests()
    {
        const QList<QPair<int, QByteArray>> rates{
            {2400, "0960"}, {4800, "12C0"}, {9600, "2580"}, {19200, "4B00"}, {38400, "9600"}, {0, "0000"}, {65535, "FFFF"}};
        for (const auto& [rate, word] : rates)
            QCOMPARE(asByteArray(deviceBaudRateWriteRequest(rate)), QByteArray::fromHex("0680000001" + word));
        QCOMPARE(asByteArray(deviceAddressWriteRequest(0)), QByteArray::fromHex("0680010001 0000"));
        QCOMPARE(asByteArray(deviceAddressWriteRequest(255)), QByteArray::fromHex("0680010001 00FF"));
        QCOMPARE(asByteArray(zeroCalibrationRequest(Channel::A)), QByteArray::fromHex("0440080001"));
        QCOMPARE(asByteArray(zeroCalibrationRequest(Channel::B)), QByteArray::fromHex("0440090001"));
    }

    void zeroCalibrationReplies()
    {
        // To a request sent to station 3.
        const QList<std::tuple<std::uint8_t, QByteArray, ZeroCalibrationOutcome>> replies{
            {3, "0000", ZeroCalibrationOutcome::Success},
            {3, "0001", ZeroCalibrationOutcome::Failure},
            {3, "0100", ZeroCalibrationOutcome::Failure},
            {4, "0000", ZeroCalibrationOutcome::OtherStation}};
        for (const auto& [address, resultHex, expected] : replies) {
            const Bytes reply = framed(address, hexBytes("0402" + resultHex));
            QCOMPARE(reply.size(), kZeroCalibrationReplyLength);
            QCOMPARE(zeroCalibrationOutcome(reply, 3), expected);
        }
    }
};

QTEST_APPLESS_MAIN(ConfigurationProtocolTest)
#include "test_configuration_protocol.moc"
