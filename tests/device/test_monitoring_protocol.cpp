#include <QTest>

#include <tuple>

#include "device/channel_status.h"
#include "protocol_test_support.h"

using namespace kt::device;
using namespace kt::device::test;

class MonitoringProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void requestsAndStatusWord()
    {
        QCOMPARE(asByteArray(statusWordRequest()), QByteArray::fromHex("0440020001"));
        QCOMPARE(asByteArray(leakDistanceRequest(Channel::A)), QByteArray::fromHex("0440030001"));
        QCOMPARE(asByteArray(leakDistanceRequest(Channel::B)), QByteArray::fromHex("0440040001"));
        const ChannelCodes codes = channelCodes(framed(1, hexBytes("0402" "0201")));
        QCOMPARE(codes.channelB, std::uint8_t{2});
        QCOMPARE(codes.channelA, std::uint8_t{1});
    }

    void statusCodesAndTexts()
    {
        const QList<std::tuple<int, std::optional<ChannelStatus>, QString>> codes{
            {0, ChannelStatus::Normal, "正常"}, {1, ChannelStatus::Leak, "泄露"}, {2, ChannelStatus::Break, "断线"},
            {3, std::nullopt, ""}, {255, std::nullopt, ""}};  // codes without meaning are not shown
        for (const auto& [code, status, text] : codes) {
            const std::optional<ChannelStatus> decoded = channelStatus(static_cast<std::uint8_t>(code));
            QCOMPARE(decoded, status);
            const std::string_view shown = decoded ? channelStatusText(*decoded) : std::string_view();
            QCOMPARE(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())), text);
        }
    }

    void leakDistanceTexts()
    {
        // The distance as a single poll and as the monitoring show it.
        const QList<std::tuple<QByteArray, QString, QString>> distances{
            {"0000", "0.00", "0.00"}, {"04D2", "12.34", "12.34"}, {"FFFE", "655.34", "655.34"}, {"FFFF", "655.35", ""}};
        for (const auto& [distanceHex, polled, monitored] : distances) {
            const Bytes reply = framed(1, hexBytes("0402" + distanceHex));
            QCOMPARE(reply.size(), kChannelReadReplyLength);
            const std::uint16_t distance = leakDistance(reply);
            QCOMPARE(QString::fromStdString(polledLeakDistanceText(distance)), polled);
            QCOMPARE(QString::fromStdString(monitoredLeakDistanceText(distance)), monitored);
        }
    }
};

QTEST_APPLESS_MAIN(MonitoringProtocolTest)
#include "test_monitoring_protocol.moc"
