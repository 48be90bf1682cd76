// The port button: opening the selected port at the selected speed, the failure paths and
// what each one says, and closing, with the caption and the lamp telling the state; and what
// every command needs of the port and the station address before it sends anything.
#include <QComboBox>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <optional>

#include <unistd.h>

#include "command_guards.h"
#include "console_fixture.h"
#include "device_holder.h"
#include "serial/serial_port.h"

using namespace kt::ui;

namespace {

enum Holder { NoHolder, ThisProgram, OtherProgram };

// `line` as `found` gives it, where "{more}" stands for nothing or for further ports, each
// led by "、".
bool matchesFound(const QString& line, const QString& found)
{
    const qsizetype more = found.indexOf(QStringLiteral("{more}"));
    if (more < 0)
        return line == found;
    const QString before = found.left(more);
    const QString after = found.mid(more + QStringLiteral("{more}").size());
    const qsizetype betweenLength = line.size() - before.size() - after.size();
    const QString between = line.mid(before.size(), betweenLength);
    return betweenLength >= 0 && line.startsWith(before) && line.endsWith(after)
        && (between.isEmpty() || between.startsWith(u'、'));
}

}  // namespace

class PortControlTest : public QObject {
    Q_OBJECT

private slots:
    void opensAndClosesAgainAndAgain()
    {
        ConsoleFixture console;
        const LampImages images = LampImages::create();
        QVERIFY(lampShows(*console.dialog, PortLamp, images.portClosedIcon));
        for (int round = 0; round < 3; ++round) {
            console.openPort();
            QVERIFY(lampShows(*console.dialog, PortLamp, images.portOpenIcon));
            QVERIFY(!kt::serial::openSerialPort(1, 9600).port);

            console.click(PortButton);
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, images.portClosedIcon));
            QCOMPARE(console.takeMessage(), QString());
            QVERIFY(kt::serial::openSerialPort(1, 9600).port != nullptr);
        }
        // Opening and closing only concern the local port: nothing goes to the controller.
        QVERIFY(console.takeFrames().empty());
    }

    // Under the fixed first line, a second one says what this machine found. In the expected
    // line {sim} is the simulator's device, {com2} the scratch path COM2 names, {pid} the
    // holding program's id, {error} the system's words for a directory, and {more} any
    // further ports this machine has.
    void failedOpenSaysWhyAndLeavesThePortClosed_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<QString>("com2");  // what KT5270_COM2 names: absolute, or in a scratch dir
        QTest::addColumn<int>("holder");    // who holds COM1
        QTest::addColumn<QString>("found");
        const QString missing = QStringLiteral("/nonexistent/tty-for-test");
        QTest::newRow("no such device") << "COM2" << "9600" << missing << int(NoHolder)
            << "COM2 对应的设备 /nonexistent/tty-for-test 不存在。现有串口：COM1 = {sim}{more}。";
        QTest::newRow("typed port name") << "COM1 " << "9600" << missing << int(NoHolder)
            << "COM1  没有对应的串口设备。现有串口：COM1 = {sim}{more}。";
        QTest::newRow("typed speed") << "COM1" << "1200" << missing << int(NoHolder)
            << "波特率只能从列表中选择：2400、4800、9600、19200 或 38400。";
        QTest::newRow("held by this program") << "COM1" << "9600" << missing << int(ThisProgram)
            << "{sim} 正被其他程序占用。";
        QTest::newRow("held by another program") << "COM1" << "9600" << missing << int(OtherProgram)
            << "{sim} 正被 kt-holder（进程号 {pid}）占用。";
        QTest::newRow("closed to this user") << "COM2" << "9600" << "closed-file" << int(NoHolder)
            << "当前用户无权访问 {com2}。请运行 sudo usermod -aG dialout $USER，然后重新登录。";
        QTest::newRow("no terminal") << "COM2" << "19200" << "plain-file" << int(NoHolder)
            << "{com2} 不接受线路设置：19200 波特，8 位数据，无校验，1 位停止。";
        QTest::newRow("a directory") << "COM2" << "9600" << "." << int(NoHolder)
            << "打开 {com2} 时系统报告：{error}";
    }
    void failedOpenSaysWhyAndLeavesThePortClosed()
    {
        QFETCH(QString, portText);
        QFETCH(QString, rateText);
        QFETCH(QString, com2);
        QFETCH(int, holder);
        QFETCH(QString, found);
        if (com2 == u"closed-file" && ::geteuid() == 0)
            QSKIP("root opens a file whatever its mode: run as another user to check this text");
        ConsoleFixture console;
        const QTemporaryDir scratch;
        for (const char* name : {"plain-file", "closed-file"})
            QVERIFY(QFile(scratch.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(scratch.filePath("closed-file"), {}));
        const QString com2Path = com2.startsWith(u'/') ? com2 : scratch.filePath(com2);
        qputenv("KT5270_COM2", com2Path.toLocal8Bit());
        const auto unsetCom2 = qScopeGuard([] { qunsetenv("KT5270_COM2"); });
        const std::string device = console.simulator.devicePath();
        const auto thisProgram = holder == ThisProgram ? kt::serial::openSerialPort(1, 9600).port : nullptr;
        std::optional<kt::serial::test::DeviceHolder> otherProgram;
        if (holder == OtherProgram) {
            otherProgram.emplace(device, "kt-holder");
            QVERIFY(otherProgram->holds());
            found.replace(QStringLiteral("{pid}"), QString::number(otherProgram->processId()));
        }
        found.replace(QStringLiteral("{sim}"), QString::fromStdString(device))
            .replace(QStringLiteral("{com2}"), com2Path)
            .replace(QStringLiteral("{error}"), QString::fromLocal8Bit(std::strerror(EISDIR)));
        // Picking an item selects it; typing text that is no item leaves none selected.
        for (auto [list, text] : {std::pair{console.dialog->dropDown(PortNumberList), portText},
                                  std::pair{console.dialog->dropDown(PortBaudRateList), rateText}}) {
            if (const int item = list->findText(text); item >= 0)
                list->setCurrentIndex(item);
            else
                list->setEditText(text);
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            console.click(PortButton);
            const QStringList lines = console.takeMessage().split(u'\n');
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines[0], QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!"));
            QVERIFY2(matchesFound(lines[1], found), qPrintable(lines[1] + QStringLiteral(" ≠ ") + found));
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, LampImages::create().portClosedIcon));
        }
        QCOMPARE(console.dialog->dropDown(PortNumberList)->currentText(), portText);
        QCOMPARE(console.dialog->dropDown(PortBaudRateList)->currentText(), rateText);
    }

    // Refused without a word on the line: with no port open, and with a station address out
    // of range. A running worker's refusals are checked with the workers.
    void everyCommandNeedsAnOpenPortAndAStationAddress_data()
    {
        QTest::addColumn<int>("guard");
        for (const CommandGuard& guard : kCommandGuards)
            QTest::newRow(guard.name) << int(&guard - kCommandGuards);
    }
    void everyCommandNeedsAnOpenPortAndAStationAddress()
    {
        QFETCH(int, guard);
        const CommandGuard& command = kCommandGuards[guard];
        ConsoleFixture console;
        console.click(command.button);
        QCOMPARE(console.takeMessage(), QString::fromUtf8(command.portClosedText));
        console.openPort();
        for (const char* refused : {"256", "-1"}) {
            if (!command.usesStationAddress)
                break;
            console.setText(StationAddressField, QString::fromLatin1(refused));
            console.click(command.button);
            QCOMPARE(console.takeMessage(), QStringLiteral("地址范围是0~255，请重新输入!!!"));
        }
        QTest::qWait(100);
        QVERIFY(console.takeFrames().empty());
        QCOMPARE(console.dialog->button(MonitorButton)->text(), QStringLiteral("开始监测"));
    }
};

QTEST_MAIN(PortControlTest)
#include "test_port_control.moc"
