#include <QTest>

#include "device/channel_status.h"
#include "device/text_entry.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

Q_DECLARE_METATYPE(std::optional<ChannelStatus>)

class MonitoringProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void requestsAndStatusWord()
    {
        QCOMPARE(asByteArray(statusWordRequest()), QByteArray::fromHex("0440020001"));
        QCOMPARE(asByteArray(leakDistanceRequest(Channel::A)), QByteArray::fromHex("0440030001"));
        QCOMPARE(asByteArray(leakDistanceRequest(Channel::B)), QByteArray::fromHex("0440040001"));
        QCOMPARE(kChannelReadReplyLength, std::size_t{7});

        const ChannelCodes codes = channelCodes(framed(1, hexBytes("0402" "0201")));
        QCOMPARE(codes.channelB, std::uint8_t{2});
        QCOMPARE(codes.channelA, std::uint8_t{1});
    }

    void statusCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<std::optional<ChannelStatus>>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << std::optional(ChannelStatus::Normal) << QString("正常");
        QTest::newRow("1") << 1 << std::optional(ChannelStatus::Leak) << QString("泄露");
        QTest::newRow("2") << 2 << std::optional(ChannelStatus::Break) << QString("断线");
        QTest::newRow("3 not shown") << 3 << std::optional<ChannelStatus>() << QString();
        QTest::newRow("255 not shown") << 255 << std::optional<ChannelStatus>() << QString();
    }

    void statusCodes()
    {
        QFETCH(int, code);
        QFETCH(std::optional<ChannelStatus>, status);
        QFETCH(QString, text);
        const std::optional<ChannelStatus> decoded = channelStatus(static_cast<std::uint8_t>(code));
        QCOMPARE(decoded, status);
        const std::string_view shown = decoded ? channelStatusText(*decoded) : std::string_view();
        QCOMPARE(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())), text);
    }

    void leakDistanceTexts_data()
    {
        QTest::addColumn<QByteArray>("distanceHex");
        QTest::addColumn<QString>("polled");
        QTest::addColumn<QString>("monitored");
        QTest::newRow("zero") << QByteArray("0000") << QString("0.00") << QString("0.00");
        QTest::newRow("1234") << QByteArray("04D2") << QString("12.34") << QString("12.34");
        QTest::newRow("largest known")
            << QByteArray("FFFE") << QString("655.34") << QString("655.34");
        QTest::newRow("unknown") << QByteArray("FFFF") << QString("655.35") << QString();
    }

    void leakDistanceTexts()
    {
        QFETCH(QByteArray, distanceHex);
        QFETCH(QString, polled);
        QFETCH(QString, monitored);
        const std::uint16_t distance = leakDistance(framed(1, hexBytes("0402" + distanceHex)));
        QCOMPARE(QString::fromStdString(polledLeakDistanceText(distance)), polled);
        QCOMPARE(QString::fromStdString(monitoredLeakDistanceText(distance)), monitored);
    }

    void periodEntries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("periodMs");
        QTest::newRow("default") << QByteArray("500") << 500;
        QTest::newRow("not a number") << QByteArray("abc") << 0;
        QTest::newRow("negative") << QByteArray("-500") << 0;
        QTest::newRow("largest int") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("beyond an int") << QByteArray("99999999999999999999") << 2147483647;
    }

    void periodEntries()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, periodMs);
        QCOMPARE(parsePeriodEntry(text.toStdString()), periodMs);
    }
};

QTEST_APPLESS_MAIN(MonitoringProtocolTest)
#include "test_monitoring_protocol.moc"
