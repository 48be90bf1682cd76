// The two zero calibration buttons against a simulated controller: their own texts, the longer
// wait, no drain of stale input, and silence when another station answers.
#include <QElapsedTimer>
#include <QTest>

#include "console_fixture.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::Channel;
using kt::sim::ChannelSetting;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;

Q_DECLARE_METATYPE(kt::sim::Bytes)
Q_DECLARE_METATYPE(kt::sim::Channel)
Q_DECLARE_METATYPE(kt::sim::Fault)

namespace {

const QString kSucceeded = QStringLiteral("校准成功!");
const QString kFailed = QStringLiteral("校准失败!");
const QString kNoData = QStringLiteral("无数据返回!");
const QString kBadChecksum = QStringLiteral("通信校验错误!");

void setResult(ConsoleFixture& console, Channel channel, std::uint16_t result)
{
    console.simulator.withDevice([&](ControllerDevice& device) {
        device.setChannelValue(ChannelSetting::ZeroCalibrationResult, channel, result);
    });
}

}  // namespace

class ZeroCalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void resultOfEachChannel_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<uint>("result");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<QString>("message");
        const Bytes registerA = framed({0x01, 0x04, 0x40, 0x08, 0x00, 0x01});
        const Bytes registerB = framed({0x01, 0x04, 0x40, 0x09, 0x00, 0x01});
        const int buttonA = ZeroCalibrationAButton;
        const int buttonB = ZeroCalibrationBButton;
        QTest::newRow("A succeeds") << buttonA << Channel::A << 0x0000u << registerA << kSucceeded;
        QTest::newRow("A fails low") << buttonA << Channel::A << 0x0001u << registerA << kFailed;
        QTest::newRow("A fails high") << buttonA << Channel::A << 0x0100u << registerA << kFailed;
        QTest::newRow("B succeeds") << buttonB << Channel::B << 0x0000u << registerB << kSucceeded;
        QTest::newRow("B fails") << buttonB << Channel::B << 0xFFFFu << registerB << kFailed;
    }
    void resultOfEachChannel()
    {
        QFETCH(int, button);
        QFETCH(Channel, channel);
        QFETCH(uint, result);
        QFETCH(Bytes, request);
        QFETCH(QString, message);
        ConsoleFixture console;
        console.openPort();
        // The other channel's result must not count.
        setResult(console, channel == Channel::A ? Channel::B : Channel::A, result == 0 ? 1 : 0);
        setResult(console, channel, static_cast<std::uint16_t>(result));
        console.click(button);
        QCOMPARE(console.takeMessage(), message);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
    }

    void repliesAreJudgedAgainstTheStationAsked()
    {
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([](ControllerDevice& device) { device.setAddress(200); });
        console.setText(StationAddressField, QStringLiteral("200"));
        console.click(ZeroCalibrationBButton);
        QCOMPARE(console.takeMessage(), kSucceeded);

        console.simulator.addFault(FaultRule(Fault::fromStation(1)));
        console.click(ZeroCalibrationBButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.takeFrames().size(), std::size_t(2));
    }

    void repliesThatFailOrCome_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("atLeastMs");
        QTest::addColumn<Bytes>("queued");  // stale input, which this command does not drain
        QTest::newRow("no reply") << Fault::noReply() << kNoData << 900 << Bytes{};
        QTest::newRow("one byte short") << Fault::truncated(1) << kNoData << 0 << Bytes{};
        QTest::newRow("bad checksum") << Fault::badChecksum() << kBadChecksum << 0 << Bytes{};
        QTest::newRow("stale byte queued") << Fault{} << kBadChecksum << 0 << Bytes{0x01};
        // Later than a standard command would wait, within this command's second.
        QTest::newRow("late reply") << Fault::delayed(std::chrono::milliseconds(700)) << kSucceeded
                                    << 650 << Bytes{};
    }
    void repliesThatFailOrCome()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, message);
        QFETCH(int, atLeastMs);
        QFETCH(Bytes, queued);
        ConsoleFixture console;
        console.openPort();
        console.simulator.addFault(FaultRule(fault));
        console.simulator.injectBytes(queued);
        QTest::qWait(20);
        QElapsedTimer timer;
        timer.start();
        console.click(ZeroCalibrationAButton);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(console.takeMessage(), message);
        QVERIFY2(elapsed >= atLeastMs && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QCOMPARE(console.takeFrames().size(), std::size_t(1));
    }
};

QTEST_MAIN(ZeroCalibrationTest)
#include "test_zero_calibration.moc"
