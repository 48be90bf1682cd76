// The twelve cable setting buttons against a simulated controller: the frames they send, what
// the fields and messages show, and the shared failures of every exchange.
#include <QLineEdit>
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
Q_DECLARE_METATYPE(kt::sim::ChannelSetting)

namespace {

struct Button {
    int id;
    int field;
};

constexpr Button kCableButtons[] = {
    {ReadLengthAButton, LengthAField},             {WriteLengthAButton, LengthAField},
    {ReadLengthBButton, LengthBField},             {WriteLengthBButton, LengthBField},
    {ReadResistivityAButton, ResistivityAField},   {WriteResistivityAButton, ResistivityAField},
    {ReadResistivityBButton, ResistivityBField},   {WriteResistivityBButton, ResistivityBField},
    {ReadCalibrationAButton, CalibrationAField},   {WriteCalibrationAButton, CalibrationAField},
    {ReadCalibrationBButton, CalibrationBField},   {WriteCalibrationBButton, CalibrationBField},
};

void setValue(ConsoleFixture& console, ChannelSetting setting, Channel channel, std::uint32_t value)
{
    console.simulator.withDevice(
        [&](ControllerDevice& device) { device.setChannelValue(setting, channel, value); });
}

std::uint32_t valueOf(ConsoleFixture& console, ChannelSetting setting, Channel channel)
{
    return console.simulator.withDevice(
        [&](ControllerDevice& device) { return device.channelValue(setting, channel); });
}

}  // namespace

class CableCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void readsShowTheControllersValue_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("field");
        QTest::addColumn<ChannelSetting>("setting");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<uint>("value");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<QString>("shown");
        QTest::newRow("length A") << int(ReadLengthAButton) << int(LengthAField)
                                  << ChannelSetting::CableLength << Channel::A << 1250u
                                  << Bytes{0x01, 0x03, 0x60, 0x01, 0x00, 0x02, 0x8B, 0xCB}
                                  << "12.50";
        QTest::newRow("negative length B")
            << int(ReadLengthBButton) << int(LengthBField) << ChannelSetting::CableLength
            << Channel::B << 0xFFFFFFFEu << framed({0x01, 0x03, 0x60, 0x02, 0x00, 0x02}) << "-0.02";
        QTest::newRow("resistivity A") << int(ReadResistivityAButton) << int(ResistivityAField)
                                       << ChannelSetting::Resistivity << Channel::A << 400u
                                       << framed({0x01, 0x03, 0x60, 0x04, 0x00, 0x01}) << "400";
        QTest::newRow("resistivity B") << int(ReadResistivityBButton) << int(ResistivityBField)
                                       << ChannelSetting::Resistivity << Channel::B << 0xFFFFu
                                       << framed({0x01, 0x03, 0x60, 0x06, 0x00, 0x01}) << "65535";
        QTest::newRow("calibration A") << int(ReadCalibrationAButton) << int(CalibrationAField)
                                       << ChannelSetting::Calibration << Channel::A << 0u
                                       << framed({0x01, 0x03, 0x60, 0x08, 0x00, 0x01}) << "0";
        QTest::newRow("calibration B") << int(ReadCalibrationBButton) << int(CalibrationBField)
                                       << ChannelSetting::Calibration << Channel::B << 7u
                                       << framed({0x01, 0x03, 0x60, 0x09, 0x00, 0x01}) << "7";
    }
    void readsShowTheControllersValue()
    {
        QFETCH(int, button);
        QFETCH(int, field);
        QFETCH(ChannelSetting, setting);
        QFETCH(Channel, channel);
        QFETCH(uint, value);
        QFETCH(Bytes, request);
        QFETCH(QString, shown);
        ConsoleFixture console;
        console.openPort();
        setValue(console, setting, channel, value);
        console.setText(field, QStringLiteral("old"));
        console.click(button);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(field), shown);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
    }

    void lengthWithoutValueIsAFailedRead()
    {
        ConsoleFixture console;
        console.openPort();
        setValue(console, ChannelSetting::CableLength, Channel::B, 0xFFFFFFFF);
        console.setText(LengthBField, QStringLiteral("3.00"));
        console.click(ReadLengthBButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("读取失败!"));
        QCOMPARE(console.text(LengthBField), QStringLiteral("3.00"));
    }

    void writesSendTheTypedValue_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<ChannelSetting>("setting");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<uint>("stored");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<QString>("success");
        QTest::addColumn<QString>("failure");
        QTest::newRow("length A") << int(WriteLengthAButton) << int(LengthAField) << "12.5"
                                  << ChannelSetting::CableLength << Channel::A << 1250u
                                  << Bytes{0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x04, 0xE2, 0xE7, 0xC3}
                                  << "写入成功!" << "写入失败!";
        QTest::newRow("length A truncates") << int(WriteLengthAButton) << int(LengthAField) << "1.15"
                                            << ChannelSetting::CableLength << Channel::A << 114u
                                            << framed({0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x72})
                                            << "写入成功!" << "写入失败!";
        QTest::newRow("length B empty sends 0") << int(WriteLengthBButton) << int(LengthBField) << ""
                                                << ChannelSetting::CableLength << Channel::B << 0u
                                                << framed({0x01, 0x06, 0x60, 0x02, 0x00, 0x02, 0, 0, 0, 0})
                                                << "写入成功" << "写入失败";
        QTest::newRow("resistivity A") << int(WriteResistivityAButton) << int(ResistivityAField) << "400"
                                       << ChannelSetting::Resistivity << Channel::A << 400u
                                       << framed({0x01, 0x06, 0x60, 0x04, 0x00, 0x01, 0x01, 0x90})
                                       << "设置感应线A电阻率成功!!!" << "设置感应线A电阻率失败!!!";
        QTest::newRow("resistivity B") << int(WriteResistivityBButton) << int(ResistivityBField) << " 65535"
                                       << ChannelSetting::Resistivity << Channel::B << 65535u
                                       << framed({0x01, 0x06, 0x60, 0x06, 0x00, 0x01, 0xFF, 0xFF})
                                       << "设置感应线B电阻率成功!!!" << "设置感应线B电阻率失败!!!";
        QTest::newRow("calibration A") << int(WriteCalibrationAButton) << int(CalibrationAField) << "12abc"
                                       << ChannelSetting::Calibration << Channel::A << 12u
                                       << framed({0x01, 0x06, 0x60, 0x08, 0x00, 0x01, 0x00, 0x0C})
                                       << "设置感应线A校正值成功!!!" << "设置感应线A校正值失败!!!";
        QTest::newRow("calibration B") << int(WriteCalibrationBButton) << int(CalibrationBField) << "0"
                                       << ChannelSetting::Calibration << Channel::B << 0u
                                       << framed({0x01, 0x06, 0x60, 0x09, 0x00, 0x01, 0x00, 0x00})
                                       << "设置感应线B校正值成功!!!" << "设置感应线B校正值失败!!!";
    }
    void writesSendTheTypedValue()
    {
        QFETCH(int, button);
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(ChannelSetting, setting);
        QFETCH(Channel, channel);
        QFETCH(uint, stored);
        QFETCH(Bytes, request);
        QFETCH(QString, success);
        QFETCH(QString, failure);
        ConsoleFixture console;
        console.openPort();
        setValue(console, setting, channel, 0x5A5A);
        console.setText(field, typed);

        console.click(button);
        QCOMPARE(console.takeMessage(), success);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
        QCOMPARE(valueOf(console, setting, channel), stored);
        QCOMPARE(console.text(field), typed);

        console.simulator.withDevice([](ControllerDevice& device) { device.refuseWrites(0x0001); });
        console.click(button);
        QCOMPARE(console.takeMessage(), failure);
        console.simulator.withDevice([](ControllerDevice& device) { device.refuseWrites(0x0100); });
        console.click(button);
        QCOMPARE(console.takeMessage(), failure);
    }

    void entriesThatDoNotFitAreRefusedUnsent_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString noLength = QStringLiteral("请输入感应线长度!");
        const QString lengthRange = QStringLiteral("长度超出范围，请重新输入!!!");
        const QString wordRange = QStringLiteral("数值范围是0~65535，请重新输入!!!");
        QTest::newRow("length A empty") << int(WriteLengthAButton) << int(LengthAField) << "" << noLength;
        QTest::newRow("length A zero") << int(WriteLengthAButton) << int(LengthAField) << "0.001" << noLength;
        QTest::newRow("length A text") << int(WriteLengthAButton) << int(LengthAField) << "abc" << noLength;
        QTest::newRow("length A huge") << int(WriteLengthAButton) << int(LengthAField) << "21474836.48" << lengthRange;
        QTest::newRow("length B huge") << int(WriteLengthBButton) << int(LengthBField) << "-1e300" << lengthRange;
        QTest::newRow("length B infinite") << int(WriteLengthBButton) << int(LengthBField) << "inf" << lengthRange;
        QTest::newRow("word too large") << int(WriteCalibrationBButton) << int(CalibrationBField) << "70000" << wordRange;
        QTest::newRow("word negative") << int(WriteCalibrationBButton) << int(CalibrationBField) << "-5" << wordRange;
        QTest::newRow("resistivity") << int(WriteResistivityAButton) << int(ResistivityAField) << "65536" << wordRange;
    }
    void entriesThatDoNotFitAreRefusedUnsent()
    {
        QFETCH(int, button);
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ConsoleFixture console;
        console.openPort();
        // The drain comes first: stale input is gone even when the entry is refused.
        console.simulator.injectBytes({0x55, 0x55, 0x55});
        QTest::qWait(20);
        console.setText(field, typed);
        console.click(button);
        QCOMPARE(console.takeMessage(), message);
        QVERIFY(console.simulator.receivedFrames().empty());

        console.setText(ResistivityAField, QStringLiteral("1"));
        console.click(WriteResistivityAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置感应线A电阻率成功!!!"));
    }

    void everyButtonNeedsAnOpenPortAndAFreeLine()
    {
        ConsoleFixture console;
        for (const Button& button : kCableButtons) {
            console.setText(button.field, QStringLiteral("1"));
            console.click(button.id);
            QCOMPARE(console.takeMessage(), QStringLiteral("请先打开串口!!!"));
        }
        console.openPort();
        console.dialog->button(MonitorButton)->setText(QStringLiteral("停止监测"));
        for (const Button& button : kCableButtons) {
            console.click(button.id);
            QCOMPARE(console.takeMessage(), QStringLiteral("请先停止监测!!!"));
        }
        QVERIFY(console.takeFrames().empty());
    }

    void stationAddressComesFromTheAddressField()
    {
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice(
            [](ControllerDevice& device) { device.setAddressFilter(kt::sim::AddressFilter::EveryAddress); });
        for (const char* refused : {"300", "-1", "256"}) {
            console.setText(StationAddressField, QString::fromLatin1(refused));
            console.click(ReadResistivityAButton);
            QCOMPARE(console.takeMessage(), QStringLiteral("地址范围是0~255，请重新输入!!!"));
        }
        QVERIFY(console.takeFrames().empty());

        console.setText(StationAddressField, QString());
        console.click(ReadResistivityAButton);
        console.setText(StationAddressField, QStringLiteral(" 255 "));
        console.click(ReadResistivityAButton);
        QCOMPARE(console.takeMessage(), QString());
        const auto frames = console.takeFrames();
        QCOMPARE(frames.size(), std::size_t(2));
        QCOMPARE(frames[0], framed({0x00, 0x03, 0x60, 0x04, 0x00, 0x01}));
        QCOMPARE(frames[1], framed({0xFF, 0x03, 0x60, 0x04, 0x00, 0x01}));
    }

    void sharedFailuresOfTheExchange()
    {
        ConsoleFixture console;
        console.openPort();
        setValue(console, ChannelSetting::CableLength, Channel::A, 1250);
        console.setText(LengthAField, QStringLiteral("kept"));

        console.simulator.addFault(FaultRule(Fault::truncated(1)));
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("读数据错误"));

        console.simulator.addFault(FaultRule(Fault::noReply()));
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("读数据错误"));

        console.simulator.addFault(FaultRule(Fault::badChecksum()));
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("校验出错!!!"));
        QCOMPARE(console.text(LengthAField), QStringLiteral("kept"));

        console.setText(LengthAField, QStringLiteral("5"));
        console.simulator.addFault(FaultRule(Fault::badChecksum()));
        console.click(WriteLengthAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("校验出错!!!"));

        // Another station's well-formed reply is taken as it is.
        console.simulator.addFault(FaultRule(Fault::fromStation(9)));
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(LengthAField), QStringLiteral("5.00"));
    }

    void staleInputIsDrainedBeforeTheRequest()
    {
        ConsoleFixture console;
        console.openPort();
        setValue(console, ChannelSetting::Resistivity, Channel::B, 321);
        // A late reply to an earlier request, still on its way, and line noise.
        console.simulator.injectBytes(framed({0x01, 0x03, 0x02, 0x12, 0x34}));
        console.simulator.injectBytes({0xFF, 0x00, 0xAA});
        QTest::qWait(20);
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(ResistivityBField), QStringLiteral("321"));

        // Stale bytes that the controller sends just ahead of its reply are drained too.
        console.simulator.addFault(FaultRule(Fault::staleBytesFirst({0x01, 0x02})));
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("校验出错!!!"));
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QString());
    }
};

QTEST_MAIN(CableCommandsTest)
#include "test_cable_commands.moc"
