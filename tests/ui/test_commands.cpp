// Every button that talks to the controller, against a simulated controller: the requests it sends and
// what the operator then sees, refusals and failed exchanges included; and refusals before sending.
#include <QProcess>

#include "console_fixture.h"
#include "loopback_port.h"

using namespace kt::ui;
using namespace std::chrono_literals;
using kt::sim::Channel;
using kt::sim::ChannelSetting;
using kt::sim::ControllerDevice;
using kt::sim::Fault;

namespace {

using SetUp = std::function<void(ConsoleFixture&)>;

// One press: the fields as typed and the controller as the set-ups leave it; then the requests sent,
// the message shown, what the listed controls show, the message when the controller refuses the write.
struct Press {
    int button;
    Texts typed;
    std::vector<SetUp> setUp;
    std::optional<Frames> requests;  // none: not compared, the device tests pin its bytes
    QString message;
    Texts shown;
    QString refused = {};  // shown when the controller refuses the same request
};

SetUp holding(ChannelSetting setting, Channel channel, std::uint32_t value)
{
    return [=](ConsoleFixture& console) {
        console.simulator.withDevice([&](ControllerDevice& device) { device.setChannelValue(setting, channel, value); });
    };
}

SetUp device(std::function<void(ControllerDevice&)> change)
{
    return [=](ConsoleFixture& console) { console.simulator.withDevice(change); };
}

SetUp atStation(std::uint8_t address)
{
    return device([=](ControllerDevice& device) { device.setAddress(address); });
}

SetUp faulting(const Fault& fault, std::optional<std::uint16_t> firstRegister = std::nullopt)
{
    return [=](ConsoleFixture& console) {
        console.simulator.addFault(kt::sim::FaultRule(fault, 1, std::nullopt, firstRegister));
    };
}

Texts clockFields(const QStringList& six)
{
    Texts fields;
    for (int field = ClockYearField; field <= ClockSecondField; ++field)
        fields.emplace_back(field, six[field - ClockYearField]);
    return fields;
}

}  // namespace

Q_DECLARE_METATYPE(Press)

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void pressSendsAndShows_data()
    {
        QTest::addColumn<Press>("press");
        const auto row = [](const char* name, const Press& press) { QTest::newRow(name) << press; };
        const auto zero = ChannelSetting::ZeroCalibrationResult;
        const Frames readClock{"01 03 60 10 00 04 5B CC"};
        const Frames zeroA{"01 04 40 08 00 01 A5 C8"};
        const Frames logCount{"01 03 40 10 00 01 90 0F"};
        const Frames clearLog{"01 06 40 10 00 01 5C 0F"};

        // A cable read without a value, or whose reply fails, keeps the field; a write refuses
        // what its setting does not take before sending.
        row("read length A, reply short", {ReadLengthAButton, {{LengthAField, "kept"}}, {faulting(Fault::truncated(1))},
            std::nullopt, "读数据错误", {{LengthAField, "kept"}}});
        row("read length B without a value", {ReadLengthBButton, {{LengthBField, "old"}},
            {holding(ChannelSetting::CableLength, Channel::B, 0xFFFFFFFF)}, std::nullopt, "读取失败!", {{LengthBField, "old"}}});
        row("write length A empty", {WriteLengthAButton, {{LengthAField, ""}}, {}, Frames{}, "请输入感应线长度!", {}});

        row("read clock", {ReadClockButton, {}, {device([](ControllerDevice& d) { d.clock().set({2012, 3, 5, 9, 7, 3}); })},
            readClock, "", clockFields({"2012", "3", "5", "9", "7", "3"})});
        const QStringList highest{"2010", "12", "31", "23", "59", "59"};
        row("set clock", {SetClockButton, clockFields(highest), {}, Frames{"01 10 60 10 00 04 20 10 12 31 23 59 00 59 05 12"},
            "设置时间成功!!!", clockFields(highest), "设置时间失败!!!"});
        // The fields' own checks are the entry parser's; the window refuses before sending.
        row("set clock, month 13", {SetClockButton, clockFields({"2010", "13", "1", "0", "0", "0"}), {}, Frames{},
            "输入月份错误，请重新输入!!!", {}});

        // The console keeps its own port and station address.
        const Texts console{{PortButton, "关闭串口"}, {PortBaudRateList, "9600"}, {StationAddressField, "1"}};
        row("set baud rate, typed", {SetDeviceBaudRateButton, {{DeviceBaudRateList, " 1200 baud"}}, {},
            Frames{"01 06 80 00 00 01 04 B0 AA B3"}, "设置波特率成功!!!", console, "设置波特率失败!!!"});
        const Frames setAddress{"01 06 80 01 00 01 00 05 54 04"};
        row("set address", {SetDeviceAddressButton, {{NewAddressField, "5"}}, {}, setAddress, "设置地址成功!!!", console});
        row("set address refused", {SetDeviceAddressButton, {{NewAddressField, "5"}},
            {device([](ControllerDevice& d) { d.refuseWrites(1); })}, setAddress, "设置地址失败!!!", {}});
        row("set address 256", {SetDeviceAddressButton, {{NewAddressField, "256"}}, {}, Frames{}, "地址范围是0~255，请重新输入!!!", {}});

        // The other channel's result does not count.
        row("zero calibration A", {ZeroCalibrationAButton, {}, {holding(zero, Channel::A, 0), holding(zero, Channel::B, 1)},
            zeroA, "校准成功!", {}});
        row("zero calibration A fails", {ZeroCalibrationAButton, {}, {holding(zero, Channel::A, 0x0100)}, zeroA, "校准失败!", {}});
        row("zero calibration B at station 200", {ZeroCalibrationBButton, {{StationAddressField, "200"}},
            {atStation(200), holding(zero, Channel::B, 0), holding(zero, Channel::A, 1)},
            Frames{"C8 04 40 09 00 01 E5 91"}, "校准成功!", {}});
        row("zero calibration, another station answers", {ZeroCalibrationAButton, {}, {faulting(Fault::fromStation(9))}, zeroA, "", {}});
        row("zero calibration, no reply", {ZeroCalibrationAButton, {}, {faulting(Fault::noReply())}, zeroA, "无数据返回!", {}});
        row("zero calibration, bad checksum", {ZeroCalibrationAButton, {}, {faulting(Fault::badChecksum())}, zeroA, "通信校验错误!", {}});

        row("log count", {ReadLogCountButton, {{LogCountField, "old"}},
            {device([](ControllerDevice& d) { d.log().forceReportedCount(0xFFFF); })}, logCount, "", {{LogCountField, "65535"}}});
        row("clear log keeps the count", {ClearLogButton, {{LogCountField, "9"}}, {}, clearLog, "清除日志成功!!!",
            {{LogCountField, "9"}}, "清除日志失败!!!"});
        row("clear log, bad checksum", {ClearLogButton, {}, {faulting(Fault::badChecksum())}, clearLog, "校验出错!!!", {}});
        row("download log", {ReadLogButton, {{LogCountField, "old"}},
            {device([](ControllerDevice& d) { d.log().setRecords({kt::sim::makeLogRecord({2010, 7, 7, 9, 5}, 1, 0, 1234)}); })},
            Frames{logCount[0], "01 03 50 00 00 05 94 C9"}, "",
            {{EventTable, "0|2010-7-7 9:5|B|泄露|12.34"}, {LogCountField, "old"}}});
    }
    void pressSendsAndShows()
    {
        QFETCH(Press, press);
        ConsoleFixture console;
        console.openPort();
        console.setTexts(press.typed);
        for (const SetUp& setUp : press.setUp)
            setUp(console);

        console.click(press.button);
        QCOMPARE(console.takeMessage(), press.message);
        const Frames sent = console.takeFrames();
        if (press.requests)
            QCOMPARE(sent, *press.requests);
        QCOMPARE(console.mismatches(press.shown), QString());
        QVERIFY(!console.dialog->button(SinglePollButton)->isVisible());
        if (!press.refused.isEmpty()) {
            console.simulator.withDevice([](ControllerDevice& device) { device.refuseWrites(0x0100); });
            console.click(press.button);
            QCOMPARE(console.takeMessage(), press.refused);
            QCOMPARE(console.takeFrames(), sent);
        }
    }

    // Each cable setting's buttons: the read shows what the controller holds, the write leaves
    // there what was typed, and each says so in its own words.
    void cableButtonsReadAndWriteTheirSetting_data()
    {
        QTest::addColumn<int>("read");
        QTest::addColumn<int>("write");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("shown");  // of the value 1250, as read and as typed
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("refused");
        const auto length = int(ChannelSetting::CableLength), resistivity = int(ChannelSetting::Resistivity),
                   calibration = int(ChannelSetting::Calibration);
        const int a = int(Channel::A), b = int(Channel::B);
        QTest::newRow("length A") << ReadLengthAButton << WriteLengthAButton << LengthAField << length << a << "12.50" << "写入成功!" << "写入失败!";
        QTest::newRow("length B") << ReadLengthBButton << WriteLengthBButton << LengthBField << length << b << "12.50" << "写入成功" << "写入失败";
        QTest::newRow("resistivity A") << ReadResistivityAButton << WriteResistivityAButton << ResistivityAField << resistivity << a << "1250"
                                       << "设置感应线A电阻率成功!!!" << "设置感应线A电阻率失败!!!";
        QTest::newRow("resistivity B") << ReadResistivityBButton << WriteResistivityBButton << ResistivityBField << resistivity << b << "1250"
                                       << "设置感应线B电阻率成功!!!" << "设置感应线B电阻率失败!!!";
        QTest::newRow("calibration A") << ReadCalibrationAButton << WriteCalibrationAButton << CalibrationAField << calibration << a << "1250"
                                       << "设置感应线A校正值成功!!!" << "设置感应线A校正值失败!!!";
        QTest::newRow("calibration B") << ReadCalibrationBButton << WriteCalibrationBButton << CalibrationBField << calibration << b << "1250"
                                       << "设置感应线B校正值成功!!!" << "设置感应线B校正值失败!!!";
    }
    void cableButtonsReadAndWriteTheirSetting()
    {
        QFETCH(int, read);
        QFETCH(int, write);
        QFETCH(int, field);
        QFETCH(int, setting);
        QFETCH(int, channel);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        QFETCH(QString, refused);
        ConsoleFixture console;
        console.openPort();
        const auto held = [&] {
            std::uint32_t value = 0;
            console.simulator.withDevice(
                [&](ControllerDevice& d) { value = d.channelValue(ChannelSetting(setting), Channel(channel)); });
            return value;
        };
        holding(ChannelSetting(setting), Channel(channel), 1250)(console);
        console.click(read);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(field), shown);
        holding(ChannelSetting(setting), Channel(channel), 7)(console);
        console.click(write);
        QCOMPARE(console.takeMessage(), written);
        QCOMPARE(held(), 1250u);
        QCOMPARE(console.takeFrames().size(), 2);
        console.simulator.withDevice([](ControllerDevice& device) { device.refuseWrites(0x0100); });
        console.click(write);
        QCOMPARE(console.takeMessage(), refused);
    }

    // Refused without a word on the line: with no port open, with a station address out of
    // range, and while either worker has the port.
    void refusedBeforeSending_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("portClosed");
        const QString open = QStringLiteral("请先打开串口!!!"), plain = QStringLiteral("请先打开串口");
        for (int button : {SetDeviceBaudRateButton, SetDeviceAddressButton, WriteLengthAButton, ReadLengthAButton,
                           WriteLengthBButton, ReadLengthBButton, ReadResistivityAButton, WriteResistivityAButton,
                           ReadResistivityBButton, WriteResistivityBButton, ReadCalibrationAButton,
                           WriteCalibrationAButton, ReadCalibrationBButton, WriteCalibrationBButton, ReadClockButton,
                           SetClockButton, ReadLogCountButton, ClearLogButton, ReadLogButton})
            QTest::addRow("button %d", button) << button << open;
        for (int button : {ZeroCalibrationAButton, ZeroCalibrationBButton, MonitorButton, SearchButton})
            QTest::addRow("button %d", button) << button << plain;
    }
    void refusedBeforeSending()
    {
        QFETCH(int, button);
        QFETCH(QString, portClosed);
        ConsoleFixture console;
        console.click(button);
        QCOMPARE(console.takeMessage(), portClosed);
        console.openPort();
        for (const char* refused : {"256", "-1"}) {
            if (button == SearchButton)  // the search uses no station address
                break;
            console.setText(StationAddressField, QString::fromLatin1(refused));
            console.click(button);
            QCOMPARE(console.takeMessage(), QStringLiteral("地址范围是0~255，请重新输入!!!"));
        }
        console.setText(StationAddressField, QStringLiteral("1"));
        QTest::qWait(50);
        QCOMPARE(console.takeFrames(), Frames{});

        // A worker cannot pass its first notification until this thread handles events, so every press
        // meets a worker that has sent its first request alone and holds the port: the press, the port
        // close, and, once the worker is stopped until its step ends, a restart too are refused.
        for (const auto& [worker, reason] : {std::pair{MonitorButton, "请先停止监测!!!"}, {SearchButton, "请先停止搜索!!!"}}) {
            if (worker == button)
                continue;
            console.simulator.withDevice([&](ControllerDevice& d) {
                d.setAddressFilter(worker == SearchButton ? kt::sim::AddressFilter::NoAddress
                                                          : kt::sim::AddressFilter::OwnAddress);
            });
            console.click(worker);
            QVERIFY(console.simulator.waitForFrames(1, 5s));
            QStringList shown;
            for (int pressed : {button, int(PortButton), int(worker), button, int(PortButton), int(worker)}) {
                console.click(pressed);
                shown << console.takeMessage();
            }
            const QString refused = QString::fromUtf8(reason);
            QCOMPARE(shown, QStringList({refused, refused, "", refused, refused, refused}));
            console.waitUntilPortIsFree();
            QCOMPARE(console.takeFrames().size(), 1);
        }
        QCOMPARE(console.text(MonitorButton), QStringLiteral("开始监测"));
        QCOMPARE(console.text(SearchButton), QStringLiteral("搜索地址"));
    }

    // COM1 lent by kt5270 serve --listen, which polls the controller at full pace meanwhile:
    // reads and writes show their usual texts.
    void throughALentBus()
    {
        ConsoleFixture console;
        const QString listenPort = QString::number(freeLoopbackPort());
        QProcess daemon;
        daemon.start(QStringLiteral(KT5270_EXECUTABLE),
                     {"--port", QString::fromStdString(console.simulator.devicePath()), "--address", "1-2", "serve",
                      "--period", "0", "--metrics", QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()),
                      "--listen", listenPort});
        qputenv("KT5270_COM1", "tcp://127.0.0.1:" + listenPort.toUtf8());  // unset by the fixture
        QTRY_VERIFY_WITH_TIMEOUT((console.click(PortButton), console.dialog->isPortOpen()), 5000);
        console.prompts->messages.clear();
        console.simulator.withDevice([](ControllerDevice& d) { d.setChannelValue(ChannelSetting::CableLength, Channel::A, 1250); });

        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(LengthAField), QStringLiteral("12.50"));
        const QList<QPair<int, QString>> presses{{WriteLengthAButton, "写入成功!"}, {SetClockButton, "设置时间成功!!!"},
            {ZeroCalibrationAButton, "校准成功!"}, {ClearLogButton, "清除日志成功!!!"}};
        console.setTexts(clockFields({"2010", "12", "31", "23", "59", "59"}));
        for (const auto& [button, message] : presses) {
            console.click(button);
            QCOMPARE(console.takeMessage(), message);
        }
        QCOMPARE(console.simulator.withDevice([](ControllerDevice& d) { return d.clock().now().year; }), 2010);
        daemon.terminate();
        QVERIFY(daemon.waitForFinished(5000));
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
