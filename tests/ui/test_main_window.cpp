// What only the window has: its start-up contents, texts that fit, keys, the About entry, what
// assistive tools read; the port button; and a controller whose device vanishes while the port
// is open.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <optional>

#include <unistd.h>

#include "console_fixture.h"
#include "device_holder.h"
#include "process_cpu.h"
#include "serial/serial_port.h"
#include "ui/application_setup.h"

using namespace kt::ui;

namespace {

const QString kOpenFailure = QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!");

enum Holder { NoHolder, ThisProgram, OtherProgram };

// `line` as `found` gives it, where "{more}" stands for nothing or for further ports, each
// led by "、".
bool matchesFound(const QString& line, const QString& found)
{
    const QString pattern = QRegularExpression::escape(found).replace(QStringLiteral("\\{more\\}"), QStringLiteral("(、.*)?"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(line).hasMatch();
}

enum Stage { Fresh, PortOpen, Monitoring };

// Control id and what is read of it:
// "name|value|description", then "|caption" for each caption it is read with.
using Spoken = QList<std::pair<int, QString>>;

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(*qApp); }

    void startsWithItsInitialContents()
    {
        const auto moment = [] { return QDateTime::currentDateTime().toString("yyyy M d H m s"); };
        const QString before = moment();
        ConsoleFixture console;
        const QString after = moment();
        // The port closed, COM1 at 9600 baud for station 1, the monitoring idle at 500 ms.
        const Texts initial{{PortNumberList, "COM1"}, {PortBaudRateList, "9600"}, {StationAddressField, "1"},
                            {PortLamp, "closed"}, {PortButton, "打开串口"}, {DeviceBaudRateList, "9600"},
                            {NewAddressField, "1"}, {ChannelALamp, "normal"}, {ChannelBStateText, "状态"},
                            {MonitorButton, "开始监测"}, {PeriodField, "500"}, {SuccessCountText, ""},
                            {SearchButton, "搜索地址"}, {EventTable, ""}};
        QCOMPARE(console.mismatches(initial), QString());
        QStringList clock;
        for (int field = ClockYearField; field <= ClockSecondField; ++field)
            clock << console.text(field);
        QVERIFY2(clock.join(' ') == before || clock.join(' ') == after, qPrintable(clock.join(' ')));
        QVERIFY(!console.dialog->checkBox(SaveLogCheckBox)->isChecked());
        QVERIFY(console.dialog->edit(ExportPathField)->isReadOnly());
        QCOMPARE(console.dialog->focusWidget(), console.dialog->control(PortNumberList));
    }

    // Tab visits every control that takes the focus once, in ascending order of the ids, and
    // comes back to the first.
    void tabVisitsEveryControl()
    {
        ConsoleFixture console;
        MainDialog& dialog = *console.dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QList<QWidget*> focusable;
        for (QWidget* widget : dialog.findChildren<QWidget*>())
            if (widget->isVisibleTo(&dialog) && (widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty())
                focusable << widget;
        QList<QWidget*> visited{dialog.focusWidget()};
        for (qsizetype step = 0; step < focusable.size(); ++step) {
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            visited << dialog.focusWidget();
        }
        QCOMPARE(visited.constFirst(), dialog.control(PortNumberList));
        QCOMPARE(visited.constLast(), visited.constFirst());
        visited.removeLast();
        QCOMPARE(QSet<QWidget*>(visited.begin(), visited.end()), QSet<QWidget*>(focusable.begin(), focusable.end()));
        for (qsizetype step = 1; step < visited.size(); ++step)
            QVERIFY2(visited[step - 1]->objectName().toInt() < visited[step]->objectName().toInt(),
                     qPrintable(visited[step]->objectName()));
    }

    // A fixed window whose texts show whole, their longest included.
    void shownWindowIsFixedAndShowsItsTextsWhole()
    {
        ConsoleFixture console;
        MainDialog& dialog = *console.dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("KT_5270"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        console.setTexts({{ExportPathField, "/tmp/KT_5270.txt"}, {StationAddressField, "255"},
                          {NewAddressField, "255"}, {LengthAField, "-1000.00"}, {ResistivityBField, "65535"},
                          {ClockYearField, "2024"}, {ClockSecondField, "59"}, {ChannelBLeakField, "655.35"},
                          {PeriodField, "100000"}, {LogCountField, "65535"}});
        dialog.label(SearchResultText)->setText(QStringLiteral("查找中..."));
        dialog.label(SuccessCountText)->setText(QStringLiteral("999999"));
        dialog.layout()->activate();
        const int margins = 2 * dialog.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            const auto* edit = qobject_cast<QLineEdit*>(widget);
            const auto* button = qobject_cast<QAbstractButton*>(widget);
            const auto* label = qobject_cast<QLabel*>(widget);
            const QString text = edit ? edit->text() : button ? button->text() : label ? label->text() : QString();
            const int room = edit ? edit->width() - margins : widget->contentsRect().width();
            if (!text.isEmpty() && widget->isVisible())
                QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= room, qPrintable(text));
        }
    }

    // Esc, and Enter in a field or a drop-down, end the window whatever it holds open; Enter on
    // a button presses only that button.
    void keysEndTheWindowOrPressTheFocusedButton_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");  // how the window ends; -1: it stays, the button pressed once
        QTest::newRow("Esc") << int(StationAddressField) << int(Qt::Key_Escape) << int(QDialog::Rejected);
        for (int id : {StationAddressField, ExportPathField, DeviceBaudRateList})
            QTest::addRow("Enter in %d", id) << id << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("Enter on a button") << int(ReadLengthAButton) << int(Qt::Key_Return) << -1;
    }
    void keysEndTheWindowOrPressTheFocusedButton()
    {
        QFETCH(int, id);
        QFETCH(int, key);
        QFETCH(int, result);
        ConsoleFixture console;
        console.openPort();
        console.dialog->show();
        QWidget* control = console.dialog->control(id);
        control->setFocus();
        QTest::keyClick(control, Qt::Key(key));
        QCOMPARE(console.dialog->isVisible(), result < 0);
        if (result >= 0)
            QCOMPARE(console.dialog->result(), result);
        QCOMPARE(console.takeFrames().size(), result < 0 ? 1 : 0);
    }

    // The menu and the About box each run their own loop; they are answered from inside.
    void contextMenuOpensTheAboutBox()
    {
        ConsoleFixture console;
        MainDialog& dialog = *console.dialog;
        dialog.show();
        QStringList entries;
        QString about;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            QTimer::singleShot(0, this, [&] {
                if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    about = box->windowTitle();
                    for (const QLabel* label : box->findChildren<QLabel*>())
                        about += label->text().isEmpty() ? QString() : QStringLiteral("|") + label->text();
                    box->close();
                }
            });
            for (QAction* action : menu->actions())
                entries << action->text();
            menu->setActiveAction(menu->actions().constFirst());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint inside(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dialog.mapToGlobal(inside));
        QApplication::sendEvent(&dialog, &event);
        QCOMPARE(entries, (QStringList{QStringLiteral("关于 KT_5270(&A)..."), QStringLiteral("通讯记录(&L)...")}));
        QCOMPARE(about, QStringLiteral("关于 KT_5270|KT_5270 1.0 版"));
        QVERIFY(dialog.isVisible());
    }

    // What assistive tools read through Qt's accessibility interfaces in-process, as the window
    // starts and after the port opens and the channels and counters change.
    void readsWhatTheWindowShows_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<Spoken>("expected");
        // On Linux Qt names a drop-down by its choice and gives its caption as its label.
        QTest::newRow("fresh window") << int(Fresh) << Spoken{
            {PortNumberList, "COM1|COM1||串口号："}, {StationAddressField, "地址：|1||地址："},
            {PortLamp, "串口状态||串口已关闭"}, {ChannelALamp, "通道A：||通道A：正常"}, {ChannelAStateText, "状态||通道A："}};
        QTest::newRow("port open") << int(PortOpen)
            << Spoken{{PortButton, "关闭串口||"}, {PortLamp, "串口状态||串口已打开"}};
        QTest::newRow("monitoring: A normal, B broken, one cycle") << int(Monitoring) << Spoken{
            {MonitorButton, "停止监测||"}, {ChannelALamp, "通道A：||通道A：正常"}, {ChannelBLamp, "通道B：||通道B：断线"},
            {ChannelAStateText, "正常||通道A："}, {ChannelBStateText, "断线||通道B："},
            {SuccessCountText, "1|||成功次数："}, {FailureCountText, "0|||失败次数："}};
    }
    void readsWhatTheWindowShows()
    {
        QFETCH(int, stage);
        QFETCH(Spoken, expected);
        ConsoleFixture console;
        MainDialog& window = *console.dialog;
        if (stage != Fresh)
            console.openPort();
        if (stage == Monitoring) {
            console.simulator.withDevice(
                [](kt::sim::ControllerDevice& device) { device.setStatusCodes(2, 0); });  // B, A
            console.setText(PeriodField, QStringLiteral("2000"));  // holds the count at 1 for a while
            console.click(MonitorButton);
            QTRY_COMPARE(window.label(SuccessCountText)->text(), QStringLiteral("1"));
        }
        QStringList wrong;
        for (const auto& [id, reads] : expected) {
            QWidget* widget = window.control(id);
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
            QStringList read{spoken->text(QAccessible::Name), spoken->text(QAccessible::Value),
                             spoken->text(QAccessible::Description)};
            for (const auto& [label, relation] : spoken->relations(QAccessible::Label))
                read << label->text(QAccessible::Name);
            if (read.join(u'|') != reads)
                wrong << QStringLiteral("%1: %2").arg(id).arg(read.join(u'|'));
        }
        QCOMPARE(wrong.join(QStringLiteral("; ")), QString());
    }

    // Opening lights the lamp; closing lets the port go, for another window to open it. Neither
    // sends anything.
    void portOpensAndCloses()
    {
        ConsoleFixture console;
        console.openPort();
        QCOMPARE(console.text(PortLamp), QStringLiteral("open"));
        console.click(PortButton);
        QCOMPARE(console.mismatches({{PortButton, "打开串口"}, {PortLamp, "closed"}}), QString());
        QCOMPARE(console.takeMessage(), QString());
        auto other = makeRecordedMainDialog();
        other.dialog->button(PortButton)->click();
        QVERIFY(other.dialog->isPortOpen());
        QCOMPARE(console.takeFrames(), Frames{});
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
        console.click(PortButton);
        const QStringList lines = console.takeMessage().split(u'\n');
        QVERIFY2(lines.size() == 2 && lines[0] == kOpenFailure && matchesFound(lines[1], found),
                 qPrintable(lines.join(u'/') + QStringLiteral(" ≠ ") + found));
        // Only ports whose device is there are listed.
        for (const QRegularExpressionMatch& port : QRegularExpression(u"COM\\d+ = ([^、。]+)"_qs).globalMatch(lines[1]))
            QVERIFY2(QFileInfo::exists(port.captured(1)), qPrintable(lines[1]));
        QCOMPARE(console.mismatches({{PortButton, "打开串口"}, {PortLamp, "closed"}, {PortNumberList, portText},
                                     {PortBaudRateList, rateText}}),
                 QString());
    }

    // On a vanished line either worker goes on without spinning (a spinning one would take a
    // whole core); COM1 cannot be opened again until the device is back.
    void vanishedDeviceFailsCalmly_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("monitoring") << int(MonitorButton);
        QTest::newRow("address search") << int(SearchButton);
    }
    void vanishedDeviceFailsCalmly()
    {
        QFETCH(int, button);
        const QTemporaryDir folder;
        const std::string link = folder.filePath(QStringLiteral("com1")).toStdString();
        ConsoleFixture console(link);  // COM1 names a link that follows the device
        console.openPort();
        console.simulator.stop();  // the device goes away while the port stays open
        console.setText(PeriodField, QStringLiteral("0"));
        NotificationWatcher steps;
        console.click(button);
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        QTest::qWait(1500);
        const double cpuShare = (processCpuSeconds() - cpuBefore) / (double(timer.elapsed()) / 1000);
        QVERIFY2(steps.count >= 2 && cpuShare < 0.3,
                 qPrintable(QStringLiteral("%1 steps, CPU share %2").arg(steps.count).arg(cpuShare)));
        QCOMPARE(console.takeMessage(), QString());

        console.click(button);
        QTRY_VERIFY_WITH_TIMEOUT((console.click(PortButton), !console.dialog->isPortOpen()), 10000);
        console.prompts->messages.clear();  // the closes refused while the worker ended its step
        console.click(PortButton);
        QCOMPARE(console.takeMessage().section(u'\n', 0, 0), kOpenFailure);
        QVERIFY(console.simulator.start(link));  // back, under another name
        console.openPort();
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(LengthAField), QStringLiteral("100.00"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
