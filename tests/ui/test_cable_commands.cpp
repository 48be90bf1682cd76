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

namespace {

// A read button against the controller's `value`: its request, and the field and the message
// then shown.
struct ReadCase {
    int button;
    int field;
    ChannelSetting setting;
    Channel channel;
    std::uint32_t value;
    Bytes request;
    QString shown;
    QString message;
};

// A write button with `typed` in its field: its request, what the controller then stores, and
// the messages when it accepts and refuses the write.
struct WriteCase {
    int button;
    int field;
    QString typed;
    ChannelSetting setting;
    Channel channel;
    std::uint32_t stored;
    Bytes request;
    QString success;
    QString failure;
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

Q_DECLARE_METATYPE(ReadCase)
Q_DECLARE_METATYPE(WriteCase)

class CableCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void readsShowTheControllersValue_data()
    {
        QTest::addColumn<ReadCase>("read");
        QTest::newRow("length A")
            << ReadCase{ReadLengthAButton, LengthAField, ChannelSetting::CableLength, Channel::A, 1250,
                        {0x01, 0x03, 0x60, 0x01, 0x00, 0x02, 0x8B, 0xCB}, "12.50", ""};
        QTest::newRow("negative length B")
            << ReadCase{ReadLengthBButton, LengthBField, ChannelSetting::CableLength, Channel::B,
                        0xFFFFFFFE, framed({0x01, 0x03, 0x60, 0x02, 0x00, 0x02}), "-0.02", ""};
        QTest::newRow("length B without value")
            << ReadCase{ReadLengthBButton, LengthBField, ChannelSetting::CableLength, Channel::B,
                        0xFFFFFFFF, framed({0x01, 0x03, 0x60, 0x02, 0x00, 0x02}), "old", "读取失败!"};
        QTest::newRow("resistivity A")
            << ReadCase{ReadResistivityAButton, ResistivityAField, ChannelSetting::Resistivity,
                        Channel::A, 400, framed({0x01, 0x03, 0x60, 0x04, 0x00, 0x01}), "400", ""};
        QTest::newRow("resistivity B")
            << ReadCase{ReadResistivityBButton, ResistivityBField, ChannelSetting::Resistivity,
                        Channel::B, 0xFFFF, framed({0x01, 0x03, 0x60, 0x06, 0x00, 0x01}), "65535", ""};
        QTest::newRow("calibration A")
            << ReadCase{ReadCalibrationAButton, CalibrationAField, ChannelSetting::Calibration,
                        Channel::A, 0, framed({0x01, 0x03, 0x60, 0x08, 0x00, 0x01}), "0", ""};
        QTest::newRow("calibration B")
            << ReadCase{ReadCalibrationBButton, CalibrationBField, ChannelSetting::Calibration,
                        Channel::B, 7, framed({0x01, 0x03, 0x60, 0x09, 0x00, 0x01}), "7", ""};
    }
    void readsShowTheControllersValue()
    {
        QFETCH(ReadCase, read);
        ConsoleFixture console;
        console.openPort();
        setValue(console, read.setting, read.channel, read.value);
        console.setText(read.field, QStringLiteral("old"));
        console.click(read.button);
        QCOMPARE(console.takeMessage(), read.message);
        QCOMPARE(console.text(read.field), read.shown);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{read.request});
    }

    void writesSendTheTypedValue_data()
    {
        QTest::addColumn<WriteCase>("write");
        QTest::newRow("length A")
            << WriteCase{WriteLengthAButton, LengthAField, "12.5", ChannelSetting::CableLength, Channel::A, 1250,
                         {0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x04, 0xE2, 0xE7, 0xC3},
                         "写入成功!", "写入失败!"};
        QTest::newRow("length A truncates")
            << WriteCase{WriteLengthAButton, LengthAField, "1.15", ChannelSetting::CableLength, Channel::A, 114,
                         framed({0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x72}),
                         "写入成功!", "写入失败!"};
        QTest::newRow("length B empty sends 0")
            << WriteCase{WriteLengthBButton, LengthBField, "", ChannelSetting::CableLength, Channel::B, 0,
                         framed({0x01, 0x06, 0x60, 0x02, 0x00, 0x02, 0, 0, 0, 0}), "写入成功", "写入失败"};
        QTest::newRow("resistivity A")
            << WriteCase{WriteResistivityAButton, ResistivityAField, "400", ChannelSetting::Resistivity,
                         Channel::A, 400, framed({0x01, 0x06, 0x60, 0x04, 0x00, 0x01, 0x01, 0x90}),
                         "设置感应线A电阻率成功!!!", "设置感应线A电阻率失败!!!"};
        QTest::newRow("resistivity B")
            << WriteCase{WriteResistivityBButton, ResistivityBField, " 65535", ChannelSetting::Resistivity,
                         Channel::B, 65535, framed({0x01, 0x06, 0x60, 0x06, 0x00, 0x01, 0xFF, 0xFF}),
                         "设置感应线B电阻率成功!!!", "设置感应线B电阻率失败!!!"};
        QTest::newRow("calibration A")
            << WriteCase{WriteCalibrationAButton, CalibrationAField, "12abc", ChannelSetting::Calibration,
                         Channel::A, 12, framed({0x01, 0x06, 0x60, 0x08, 0x00, 0x01, 0x00, 0x0C}),
                         "设置感应线A校正值成功!!!", "设置感应线A校正值失败!!!"};
        QTest::newRow("calibration B")
            << WriteCase{WriteCalibrationBButton, CalibrationBField, "0", ChannelSetting::Calibration,
                         Channel::B, 0, framed({0x01, 0x06, 0x60, 0x09, 0x00, 0x01, 0x00, 0x00}),
                         "设置感应线B校正值成功!!!", "设置感应线B校正值失败!!!"};
    }
    void writesSendTheTypedValue()
    {
        QFETCH(WriteCase, write);
        ConsoleFixture console;
        console.openPort();
        setValue(console, write.setting, write.channel, 0x5A5A);
        console.setText(write.field, write.typed);

        console.click(write.button);
        QCOMPARE(console.takeMessage(), write.success);
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{write.request});
        QCOMPARE(valueOf(console, write.setting, write.channel), write.stored);
        QCOMPARE(console.text(write.field), write.typed);

        for (std::uint16_t refusal : {0x0001, 0x0100}) {
            console.simulator.withDevice([&](ControllerDevice& device) { device.refuseWrites(refusal); });
            console.click(write.button);
            QCOMPARE(console.takeMessage(), write.failure);
        }
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

    void stationAddressComesFromTheAddressField()
    {
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice(
            [](ControllerDevice& device) { device.setAddressFilter(kt::sim::AddressFilter::EveryAddress); });
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

    void sharedFailuresOfTheExchangeAndStaleInput()
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

        // A late reply to an earlier request, still on its way, and line noise are drained.
        setValue(console, ChannelSetting::Resistivity, Channel::B, 321);
        console.simulator.injectBytes(framed({0x01, 0x03, 0x02, 0x12, 0x34}));
        console.simulator.injectBytes({0xFF, 0x00, 0xAA});
        QTest::qWait(20);
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(ResistivityBField), QStringLiteral("321"));

        // Stale bytes that come just ahead of the reply spoil it, and only it.
        console.simulator.addFault(FaultRule(Fault::staleBytesFirst({0x01, 0x02})));
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("校验出错!!!"));
        console.click(ReadResistivityBButton);
        QCOMPARE(console.takeMessage(), QString());
    }

};

QTEST_MAIN(CableCommandsTest)
#include "test_cable_commands.moc"
