// Every button that talks to the controller, pressed against a simulated controller: the
// requests it sends and what the operator then sees, the controller's refusals and the failed
// exchanges included; and the refusals that come before anything is sent.
#include <QElapsedTimer>

#include "console_fixture.h"

using namespace kt::ui;
using namespace std::chrono_literals;
using kt::sim::Channel;
using kt::sim::ChannelSetting;
using kt::sim::ControllerDevice;
using kt::sim::Fault;

namespace {

using SetUp = std::function<void(ConsoleFixture&)>;

// One press: the fields as typed and the controller as the set-ups leave it; then the requests
// sent, the message shown, what the listed controls show, the message when the controller
// refuses the write, and the least time the press takes.
struct Press {
    int button;
    Texts typed;
    std::vector<SetUp> setUp;
    Frames requests;
    QString message;
    Texts shown;
    QString refused;  // shown when the controller refuses the same request
    int atLeastMs = 0;
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

SetUp queued(const char* stale)
{
    return [=](ConsoleFixture& console) {
        const QByteArray bytes = QByteArray::fromHex(stale);
        console.simulator.injectBytes({bytes.begin(), bytes.end()});
        QTest::qWait(20);
    };
}

// Channel codes B and A, and leak distances of 0 m on A and 655.35 m on B.
SetUp channels(std::uint8_t codeB, std::uint8_t codeA)
{
    return device([=](ControllerDevice& device) {
        device.setStatusCodes(codeB, codeA);
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::A, 0);
        device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, 0xFFFF);
    });
}

Texts clockFields(const QStringList& six)
{
    Texts fields;
    for (int field = ClockYearField; field <= ClockSecondField; ++field)
        fields.emplace_back(field, six[field - ClockYearField]);
    return fields;
}

// State text, leak field and lamp of A, then of B; the counters stay blank, as a single poll
// is no monitoring cycle.
Texts channelDisplay(const QStringList& six)
{
    return {{ChannelAStateText, six[0]}, {ChannelALeakField, six[1]}, {ChannelALamp, six[2]},
            {ChannelBStateText, six[3]}, {ChannelBLeakField, six[4]}, {ChannelBLamp, six[5]},
            {SuccessCountText, ""}, {FailureCountText, ""}};
}

const Texts kOldLeaks{{ChannelALeakField, "old"}, {ChannelBLeakField, "old"}};

}  // namespace

Q_DECLARE_METATYPE(Press)

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void pressSendsAndShows_data()
    {
        QTest::addColumn<Press>("press");
        const auto row = [](const char* name, const Press& press) { QTest::newRow(name) << press; };
        const auto length = ChannelSetting::CableLength, resistivity = ChannelSetting::Resistivity,
                   calibration = ChannelSetting::Calibration, zero = ChannelSetting::ZeroCalibrationResult;
        const Frames readLengthA{"01 03 60 01 00 02 8B CB"};
        const Frames readClock{"01 03 60 10 00 04 5B CC"};
        const Frames zeroA{"01 04 40 08 00 01 A5 C8"};
        const Frames logCount{"01 03 40 10 00 01 90 0F"};
        const Frames clearLog{"01 06 40 10 00 01 5C 0F"};
        const QString status = "01 04 40 02 00 01 85 CA";
        const QString distanceA = "01 04 40 03 00 01 D4 0A", distanceB = "01 04 40 04 00 01 65 CB";
        const QString wordRange = QStringLiteral("数值范围是0~65535，请重新输入!!!");

        row("read length A", {ReadLengthAButton, {}, {holding(length, Channel::A, 1250)}, readLengthA, "", {{LengthAField, "12.50"}}});
        row("read length A, reply short, keeps the field", {ReadLengthAButton, {{LengthAField, "kept"}},
            {faulting(Fault::truncated(1))}, readLengthA, "读数据错误", {{LengthAField, "kept"}}});
        row("read length B without a value keeps the field", {ReadLengthBButton, {{LengthBField, "old"}},
            {holding(length, Channel::B, 0xFFFFFFFF)}, {"01 03 60 02 00 02 7B CB"}, "读取失败!",
            {{LengthBField, "old"}}});
        row("write length A", {WriteLengthAButton, {{LengthAField, "12.5"}}, {},
            {"01 06 60 01 00 02 00 00 04 E2 E7 C3"}, "写入成功!", {}, "写入失败!"});
        row("write length A empty", {WriteLengthAButton, {{LengthAField, ""}}, {}, {}, "请输入感应线长度!", {}});
        row("write length B empty sends 0", {WriteLengthBButton, {{LengthBField, ""}}, {},
            {"01 06 60 02 00 02 00 00 00 00 56 4A"}, "写入成功", {}, "写入失败"});
        row("write length B too long", {WriteLengthBButton, {{LengthBField, "21474836.48"}}, {}, {}, "长度超出范围，请重新输入!!!", {}});
        row("read resistivity A at station 200", {ReadResistivityAButton, {{StationAddressField, " 200 "}},
            {atStation(200), holding(resistivity, Channel::A, 400)}, {"C8 03 60 04 00 01 CA 52"}, "",
            {{ResistivityAField, "400"}}});
        row("write resistivity A", {WriteResistivityAButton, {{ResistivityAField, "400"}}, {},
            {"01 06 60 04 00 01 01 90 4F 9B"}, "设置感应线A电阻率成功!!!", {}, "设置感应线A电阻率失败!!!"});
        row("write resistivity A too large", {WriteResistivityAButton, {{ResistivityAField, "65536"}}, {}, {}, wordRange, {}});
        // Stale input, a late reply to an earlier request and line noise, is drained first.
        row("read resistivity B after stale input", {ReadResistivityBButton, {},
            {holding(resistivity, Channel::B, 0xFFFF), queued("01 03 02 12 34 B5 33 FF 00")},
            {"01 03 60 06 00 01 7A 0B"}, "", {{ResistivityBField, "65535"}}});
        row("write resistivity B", {WriteResistivityBButton, {{ResistivityBField, "65535"}}, {},
            {"01 06 60 06 00 01 FF FF 36 17"}, "设置感应线B电阻率成功!!!", {}, "设置感应线B电阻率失败!!!"});
        row("read calibration A", {ReadCalibrationAButton, {}, {holding(calibration, Channel::A, 12)},
            {"01 03 60 08 00 01 1B C8"}, "", {{CalibrationAField, "12"}}});
        row("write calibration A", {WriteCalibrationAButton, {{CalibrationAField, "12"}}, {},
            {"01 06 60 08 00 01 00 0C 5E 63"}, "设置感应线A校正值成功!!!", {}, "设置感应线A校正值失败!!!"});
        row("read calibration B", {ReadCalibrationBButton, {}, {holding(calibration, Channel::B, 7)},
            {"01 03 60 09 00 01 4A 08"}, "", {{CalibrationBField, "7"}}});
        row("write calibration B", {WriteCalibrationBButton, {{CalibrationBField, "7"}}, {},
            {"01 06 60 09 00 01 00 07 22 64"}, "设置感应线B校正值成功!!!", {}, "设置感应线B校正值失败!!!"});

        row("read clock", {ReadClockButton, {}, {device([](ControllerDevice& d) { d.clock().set({2012, 3, 5, 9, 7, 3}); })},
            readClock, "", clockFields({"2012", "3", "5", "9", "7", "3"})});
        row("read clock, no controller, keeps the fields", {ReadClockButton, clockFields({"2012", "3", "5", "9", "7", "3"}),
            {device([](ControllerDevice& d) { d.setAddressFilter(kt::sim::AddressFilter::NoAddress); })}, readClock, "读数据错误",
            clockFields({"2012", "3", "5", "9", "7", "3"}), "", 450});
        const QStringList highest{"2010", "12", "31", "23", "59", "59"};
        row("set clock", {SetClockButton, clockFields(highest), {}, {"01 10 60 10 00 04 20 10 12 31 23 59 00 59 05 12"},
            "设置时间成功!!!", clockFields(highest), "设置时间失败!!!"});
        // The fields are checked in turn; those before the wrong one hold their lowest or highest value.
        const auto refusedClock = [&](const char* name, const QStringList& six, const char* message) {
            row(name, {SetClockButton, clockFields(six), {}, {}, message, {}});
        };
        refusedClock("year 2009", {"2009", "13", "32", "24", "60", "60"}, "输入年份错误，请重新输入!!!");
        refusedClock("month 13", {"2010", "13", "32", "24", "60", "60"}, "输入月份错误，请重新输入!!!");
        refusedClock("day 32", {"9999", "12", "32", "24", "60", "60"}, "输入日期错误，请重新输入!!!");
        refusedClock("hour 24", {"2010", "0", "31", "24", "60", "60"}, "输入小时错误，请重新输入!!!");
        refusedClock("minute 60", {"2010", "0", "0", "23", "60", "60"}, "输入分钟错误，请重新输入!!!");
        refusedClock("second 60", {"2010", "0", "0", "0", "59", "60"}, "输入秒错误，请重新输入!!!");

        // The console keeps its own port and station address.
        const Texts console{{PortButton, "关闭串口"}, {PortBaudRateList, "9600"}, {StationAddressField, "1"}};
        row("set baud rate, typed", {SetDeviceBaudRateButton, {{DeviceBaudRateList, " 1200 baud"}}, {},
            {"01 06 80 00 00 01 04 B0 AA B3"}, "设置波特率成功!!!", console, "设置波特率失败!!!"});
        row("set baud rate too high", {SetDeviceBaudRateButton, {{DeviceBaudRateList, "115200"}}, {}, {}, wordRange, {}});
        const Frames setAddress{"01 06 80 01 00 01 00 05 54 04"};
        row("set address", {SetDeviceAddressButton, {{NewAddressField, "5"}}, {}, setAddress, "设置地址成功!!!", console});
        row("set address refused", {SetDeviceAddressButton, {{NewAddressField, "5"}},
            {device([](ControllerDevice& d) { d.refuseWrites(1); })}, setAddress, "设置地址失败!!!", {}});
        row("set address 256", {SetDeviceAddressButton, {{NewAddressField, "256"}}, {}, {}, "地址范围是0~255，请重新输入!!!", {}});

        // The other channel's result does not count.
        row("zero calibration A", {ZeroCalibrationAButton, {}, {holding(zero, Channel::A, 0), holding(zero, Channel::B, 1)},
            zeroA, "校准成功!", {}});
        row("zero calibration A fails", {ZeroCalibrationAButton, {}, {holding(zero, Channel::A, 0x0100)}, zeroA, "校准失败!", {}});
        row("zero calibration B at station 200", {ZeroCalibrationBButton, {{StationAddressField, "200"}},
            {atStation(200), holding(zero, Channel::B, 0), holding(zero, Channel::A, 1)},
            {"C8 04 40 09 00 01 E5 91"}, "校准成功!", {}});
        row("zero calibration, another station answers", {ZeroCalibrationAButton, {}, {faulting(Fault::fromStation(9))}, zeroA, "", {}});
        row("zero calibration, no reply", {ZeroCalibrationAButton, {}, {faulting(Fault::noReply())}, zeroA, "无数据返回!", {}, "", 900});
        row("zero calibration, bad checksum", {ZeroCalibrationAButton, {}, {faulting(Fault::badChecksum())}, zeroA, "通信校验错误!", {}});
        // Stale input is not drained: the reply comes one byte late.
        row("zero calibration, stale byte queued", {ZeroCalibrationAButton, {}, {queued("01")}, zeroA, "通信校验错误!", {}});
        row("zero calibration, late reply", {ZeroCalibrationAButton, {}, {faulting(Fault::delayed(700ms))}, zeroA, "校准成功!", {}, "", 650});

        row("log count", {ReadLogCountButton, {{LogCountField, "old"}},
            {device([](ControllerDevice& d) { d.log().forceReportedCount(0xFFFF); })}, logCount, "", {{LogCountField, "65535"}}});
        row("clear log keeps the count", {ClearLogButton, {{LogCountField, "9"}}, {}, clearLog, "清除日志成功!!!",
            {{LogCountField, "9"}}, "清除日志失败!!!"});
        row("clear log, bad checksum", {ClearLogButton, {}, {faulting(Fault::badChecksum())}, clearLog, "校验出错!!!", {}});
        row("download log", {ReadLogButton, {{LogCountField, "old"}},
            {device([](ControllerDevice& d) { d.log().setRecords({kt::sim::makeLogRecord({2010, 7, 7, 9, 5}, 1, 0, 1234)}); })},
            {logCount[0], "01 03 50 00 00 05 94 C9"}, "",
            {{EventTable, "0|2010-7-7 9:5|B|泄露|12.34"}, {LogCountField, "old"}}});

        // Channel B is read first; a status code above 2 changes nothing.
        row("single poll, both in leak", {SinglePollButton, kOldLeaks, {channels(1, 1)}, {status, distanceB, distanceA}, "",
            channelDisplay({"泄露", "0.00", "leak", "泄露", "655.35", "leak"})});
        row("single poll, normal and broken", {SinglePollButton, kOldLeaks, {channels(2, 0)}, {status}, "",
            channelDisplay({"正常", "", "normal", "断线", "", "break"})});
        row("single poll, unknown codes", {SinglePollButton, kOldLeaks, {channels(3, 200)}, {status}, "",
            channelDisplay({"状态", "old", "normal", "状态", "old", "normal"})});
        row("single poll, distance B short", {SinglePollButton, kOldLeaks, {channels(1, 1), faulting(Fault::truncated(1), 0x4004)},
            {status, distanceB}, "读数据错误", channelDisplay({"状态", "old", "normal", "泄露", "old", "leak"})});
    }
    void pressSendsAndShows()
    {
        QFETCH(Press, press);
        ConsoleFixture console;
        console.openPort();
        console.setTexts(press.typed);
        for (const SetUp& setUp : press.setUp)
            setUp(console);

        QElapsedTimer timer;
        timer.start();
        console.click(press.button);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(console.takeMessage(), press.message);
        QCOMPARE(console.takeFrames(), press.requests);
        QCOMPARE(console.mismatches(press.shown), QString());
        QVERIFY2(elapsed >= press.atLeastMs && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QVERIFY(!console.dialog->button(SinglePollButton)->isVisible());
        if (!press.refused.isEmpty()) {
            console.simulator.withDevice([](ControllerDevice& device) { device.refuseWrites(0x0100); });
            console.click(press.button);
            QCOMPARE(console.takeMessage(), press.refused);
            QCOMPARE(console.takeFrames(), press.requests);
        }
    }

    // Refused without a word on the line: with no port open, with a station address out of
    // range, and while either worker has the port.
    void refusedBeforeSending_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("portClosed");
        QTest::addColumn<bool>("usesStationAddress");
        const QString open = QStringLiteral("请先打开串口!!!"), plain = QStringLiteral("请先打开串口");
        for (const auto& [button, name] : std::initializer_list<std::pair<int, const char*>>{
                 {SetDeviceBaudRateButton, "set baud rate"}, {SetDeviceAddressButton, "set address"},
                 {WriteLengthAButton, "write length A"}, {ReadLengthAButton, "read length A"},
                 {WriteLengthBButton, "write length B"}, {ReadLengthBButton, "read length B"},
                 {ReadResistivityAButton, "read resistivity A"}, {WriteResistivityAButton, "write resistivity A"},
                 {ReadResistivityBButton, "read resistivity B"}, {WriteResistivityBButton, "write resistivity B"},
                 {ReadCalibrationAButton, "read calibration A"}, {WriteCalibrationAButton, "write calibration A"},
                 {ReadCalibrationBButton, "read calibration B"}, {WriteCalibrationBButton, "write calibration B"},
                 {ReadClockButton, "read clock"}, {SetClockButton, "set clock"}, {SinglePollButton, "single poll"},
                 {ReadLogCountButton, "log count"}, {ClearLogButton, "clear log"}, {ReadLogButton, "download log"}})
            QTest::newRow(name) << button << open << true;
        QTest::newRow("zero calibration A") << int(ZeroCalibrationAButton) << plain << true;
        QTest::newRow("zero calibration B") << int(ZeroCalibrationBButton) << plain << true;
        QTest::newRow("monitoring") << int(MonitorButton) << plain << true;
        QTest::newRow("address search") << int(SearchButton) << plain << false;
    }
    void refusedBeforeSending()
    {
        QFETCH(int, button);
        QFETCH(QString, portClosed);
        QFETCH(bool, usesStationAddress);
        ConsoleFixture console;
        console.click(button);
        QCOMPARE(console.takeMessage(), portClosed);
        console.openPort();
        for (const char* refused : {"256", "-1"}) {
            if (!usesStationAddress)
                break;
            console.setText(StationAddressField, QString::fromLatin1(refused));
            console.click(button);
            QCOMPARE(console.takeMessage(), QStringLiteral("地址范围是0~255，请重新输入!!!"));
        }
        console.setText(StationAddressField, QStringLiteral("1"));
        QTest::qWait(50);
        QCOMPARE(console.takeFrames(), Frames{});

        // A worker cannot pass its first notification until this thread handles events, so every
        // press meets a worker that has sent its first request alone and holds the port: the
        // press, the port close, and once the worker is stopped until it has ended its step,
        // the press, the port close and a restart are refused. The search finds no address.
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
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
