// What only the window has: its start-up contents, keys, focus order, the About entry, lamp
// pictures, font and port tooltips; the port button; and a controller whose device vanishes
// while the port is open.
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLayout>
#include <QLibraryInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QScopeGuard>
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
using kt::sim::AddressFilter;
using kt::sim::ControllerDevice;

namespace {

const QString kOpenFailure = QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!");

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


// COM1 named by a link to the controller's device, and the port open.
struct PluggableConsole {
    PluggableConsole() { console.openPort(); }

    // The device goes away while the console keeps its now dead port open; it comes back under
    // another name.
    void unplug() { console.simulator.stop(); }
    void plugBackIn()
    {
        const bool deadPortOpen = console.dialog->isPortOpen();
        QVERIFY(console.simulator.start(link));
        QVERIFY(!deadPortOpen || console.simulator.devicePath() != vanished);
    }

    QTemporaryDir folder;
    const std::string link = folder.filePath(QStringLiteral("com1")).toStdString();
    ConsoleFixture console{link};
    const std::string vanished = console.simulator.devicePath();
};

// COM1, opened again, reaches the controller behind the link.
void checkPortWorksAgain(ConsoleFixture& console)
{
    console.click(ReadLengthAButton);
    QCOMPARE(console.takeMessage(), QString());
    QCOMPARE(console.text(LengthAField), QStringLiteral("100.00"));
}

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
        const Texts initial{
            {1000, "COM1"}, {1001, "9600"}, {1002, "1"}, {1003, "closed"}, {1004, "打开串口"}, {1005, "9600"},
            {1006, "设置波特率"}, {1007, "1"}, {1008, "设置地址"}, {1009, ""}, {1010, "写入"}, {1011, "读取"},
            {1012, ""}, {1013, "写入"}, {1014, "读取"}, {1015, ""}, {1016, "读取"}, {1017, "写入"}, {1018, ""},
            {1019, "读取"}, {1020, "写入"}, {1021, ""}, {1022, "读取"}, {1023, "写入"}, {1024, ""}, {1025, "读取"},
            {1026, "写入"}, {1033, "读取"}, {1034, "设置"}, {1035, "normal"}, {1036, "状态"}, {1037, ""},
            {1038, "normal"}, {1039, "状态"}, {1040, ""}, {1041, "开始监测"}, {1042, "500"}, {1043, ""},
            {1044, ""}, {1046, ""}, {1047, "读取条数"}, {1048, "清除日志"}, {1049, "读取日志"}, {1050, "保存日志"},
            {1051, ""}, {1052, ""}, {1053, "搜索地址"}, {1054, ""}, {1055, "通道A零校准"}, {1056, "通道B零校准"}};
        QCOMPARE(console.mismatches(initial), QString());
        QStringList clock;
        for (int field = ClockYearField; field <= ClockSecondField; ++field)
            clock << console.text(field);
        QVERIFY2(clock.join(' ') == before || clock.join(' ') == after, qPrintable(clock.join(' ')));
        QVERIFY(!console.dialog->checkBox(SaveLogCheckBox)->isChecked());
        QVERIFY(console.dialog->edit(ExportPathField)->isReadOnly());

        QStringList items;
        for (int id : {PortNumberList, PortBaudRateList, DeviceBaudRateList}) {
            for (int index = 0; index < console.dialog->dropDown(id)->count(); ++index)
                items << console.dialog->dropDown(id)->itemText(index);
        }
        QCOMPARE(items.join(' '), QStringLiteral("COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 COM13 "
                                                 "COM14 COM15 COM16 COM17 COM18 COM19 COM20 2400 4800 9600 19200 38400 "
                                                 "2400 4800 9600 19200 38400"));
        QStringList headings;
        for (int column = 0; column < console.dialog->eventTable()->columnCount(); ++column)
            headings << console.dialog->eventTable()->horizontalHeaderItem(column)->text();
        QCOMPARE(headings.join(' '), QStringLiteral("日志编号 告警时间 通道 告警类型 浸水点(米)"));

    }

    // A fixed window without a default button, whose texts show whole, their longest included.
    void shownWindowIsFixedAndShowsItsTextsWhole()
    {
        ConsoleFixture console;
        MainDialog& dialog = *console.dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("KT_5270"));
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!dialog.button(SinglePollButton)->isVisible());

        console.setTexts({{ExportPathField, "/tmp/KT_5270.txt"}, {StationAddressField, "255"},
                          {NewAddressField, "255"}, {LengthAField, "-1000.00"}, {ResistivityBField, "65535"},
                          {ClockYearField, "2024"}, {ClockSecondField, "59"}, {ChannelBLeakField, "655.35"},
                          {PeriodField, "100000"}, {LogCountField, "65535"}});
        for (const auto& [id, shown] : Texts{{SearchResultText, "查找中..."}, {SuccessCountText, "999999"}})
            dialog.label(id)->setText(shown);
        dialog.layout()->activate();
        const int frame = dialog.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            if (auto* button = qobject_cast<QPushButton*>(widget))
                QVERIFY2(!button->isDefault(), qPrintable(button->text()));
            QString text;
            int room = widget->contentsRect().width();
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                text = edit->text();
                room = edit->width() - 2 * frame - 4;  // less the frame and the text margins
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                text = button->text();
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                text = label->text();
            }
            if (!text.isEmpty() && widget->isVisible())
                QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= room, qPrintable(text));
        }
    }

    // Every control but the lamps, the texts and the hidden single poll, in id order.
    void focusStartsAtThePortListAndMovesInIdOrder()
    {
        ConsoleFixture console;
        console.dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(console.dialog.get()));
        QList<int> expected;
        for (int id = PortNumberList; id <= ZeroCalibrationBButton; ++id) {
            if (!QList<int>{1003, 1035, 1036, 1038, 1039, 1043, 1044, 1045, 1054}.contains(id))
                expected << id;
        }
        QList<int> visited;
        for (qsizetype step = 0; step <= expected.size(); ++step) {
            visited << QApplication::focusWidget()->objectName().toInt();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected + QList<int>{PortNumberList});
    }

    // Esc, and Enter in a field or a drop-down, end the window whatever it holds open; Enter on
    // a button presses only that button.
    void keysEndTheWindowOrPressTheFocusedButton_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");  // how the window ends; -1: it stays, the button pressed once
        QTest::newRow("Esc") << int(StationAddressField) << int(Qt::Key_Escape) << int(QDialog::Rejected);
        for (int id : {StationAddressField, ClockYearField, ExportPathField, PortNumberList, DeviceBaudRateList})
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
        QStringList entries, about;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions())
                entries << action->text();
            QTimer::singleShot(0, this, [&] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                about << box->windowTitle();
                for (QLabel* label : box->findChildren<QLabel*>())
                    about << (label->pixmap().isNull() ? label->text() : QStringLiteral("<picture>"));
                for (QPushButton* button : box->findChildren<QPushButton*>())
                    about << button->text() + (button->isDefault() ? QStringLiteral(" (default)") : QString());
                box->findChild<QPushButton*>()->click();
                about << (box->isVisible() ? QStringLiteral("still open") : QStringLiteral("closed"));
            });
            menu->setActiveAction(menu->actions().constFirst());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint inside(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dialog.mapToGlobal(inside));
        QApplication::sendEvent(&dialog, &event);
        QCOMPARE(entries, (QStringList{QStringLiteral("关于 KT_5270(&A)..."), QStringLiteral("通讯记录(&L)...")}));
        about.sort();
        QCOMPARE(about.join(" | "), QStringLiteral("<picture> | KT_5270 1.0 版 | closed | 关于 KT_5270 | 确定 (default)"));
        QVERIFY(dialog.isVisible());
    }

    // Green, red, dark, lit red with rays, and a red cross on white, at both sizes.
    void lampPicturesHaveTheirColours()
    {
        const LampImages images = LampImages::create();
        const auto pixel = [](const QIcon& icon, int x, int y) { return icon.pixmap(32).toImage().pixelColor(x, y); };
        const auto isRed = [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
        QVERIFY(pixel(images.normalIcon, 16, 16).green() > 120 && pixel(images.normalIcon, 16, 16).red() < 90);
        QVERIFY(isRed(pixel(images.leakIcon, 16, 16)) && isRed(pixel(images.portOpenIcon, 16, 16)));
        QVERIFY(pixel(images.portClosedIcon, 16, 16).lightness() < 90);
        QVERIFY(pixel(images.portOpenIcon, 29, 16).alpha() > 0 && pixel(images.portClosedIcon, 29, 16).alpha() == 0);
        QVERIFY(isRed(pixel(images.breakIcon, 16, 16)) && pixel(images.breakIcon, 16, 8).lightness() > 230);
        QCOMPARE(pixel(images.breakIcon, 0, 0).alpha(), 0);
        for (const QIcon* icon : {&images.appIcon, &images.portOpenIcon, &images.portClosedIcon, &images.normalIcon,
                                  &images.leakIcon, &images.breakIcon})
            QVERIFY(icon->availableSizes().contains(QSize(16, 16)) && icon->availableSizes().contains(QSize(32, 32)));
    }

    // Shown as the list opens: the device a port number stands for, or that there is none.
    void portTooltipsNameTheDevice()
    {
        ConsoleFixture console;
        QComboBox* ports = console.dialog->dropDown(PortNumberList);
        qputenv("KT5270_COM3", "/dev/kt-test-port");
        ports->showPopup();
        ports->hidePopup();
        qunsetenv("KT5270_COM3");
        QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/kt-test-port"));
        QCOMPARE(ports->itemData(19, Qt::ToolTipRole).toString(), QStringLiteral("未找到设备"));
    }

    void chineseFontAndStandardButtons()
    {
        const QFont font = consoleFont();
        QCOMPARE(font.pointSize(), 9);
        for (char32_t character : U"串口号浸水点")
            QVERIFY(character == 0 || QFontMetrics(font).inFontUcs4(character));
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
            QSKIP("Qt's Simplified Chinese catalogue is not installed");
        QDialogButtonBox buttons(QDialogButtonBox::Ok);
        QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    }

    // Opening holds the port for this window alone (another one's open fails, as for a port held
    // by another program); closing lets it go. Neither sends anything.
    void portOpensAndClosesAgainAndAgain()
    {
        ConsoleFixture console;
        for (int round = 0; round < 3; ++round) {
            console.openPort();
            QCOMPARE(console.text(PortLamp), QStringLiteral("open"));
            auto other = makeRecordedMainDialog();
            other.dialog->button(PortButton)->click();
            QCOMPARE(other.prompts->messages.size(), std::size_t(1));
            QCOMPARE(other.prompts->messages.front().text.section(u'\n', 0, 0), kOpenFailure);

            console.click(PortButton);
            QCOMPARE(console.mismatches({{PortButton, "打开串口"}, {PortLamp, "closed"}}), QString());
            QCOMPARE(console.takeMessage(), QString());
            other.dialog->button(PortButton)->click();
            QVERIFY(other.dialog->isPortOpen());
        }
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
        for (int attempt = 0; attempt < 2; ++attempt) {
            console.click(PortButton);
            const QStringList lines = console.takeMessage().split(u'\n');
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines[0], kOpenFailure);
            QVERIFY2(matchesFound(lines[1], found), qPrintable(lines[1] + QStringLiteral(" ≠ ") + found));
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.mismatches({{PortButton, "打开串口"}, {PortLamp, "closed"}, {PortNumberList, portText},
                                         {PortBaudRateList, rateText}}),
                     QString());
        }
    }

    // A command on the vanished line reports silence within its usual wait; the dead port
    // closes without a word; COM1 cannot be opened until the device is back.
    void vanishedDeviceCommandReportsSilence()
    {
        PluggableConsole line;
        ConsoleFixture& console = line.console;
        line.unplug();
        QElapsedTimer timer;
        timer.start();
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("读数据错误"));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));

        console.click(PortButton);
        QCOMPARE(console.takeMessage(), QString());
        console.click(PortButton);
        QCOMPARE(console.takeMessage().section(u'\n', 0, 0), kOpenFailure);
        QVERIFY(!console.dialog->isPortOpen());
        line.plugBackIn();
        console.openPort();
        checkPortWorksAgain(console);
    }

    // A worker goes on at its pace on the vanished line, each step after its wait for the
    // reply: a failed cycle counted after 300 ms, a probe after 100 ms; until it is stopped.
    void vanishedDeviceWorkerGoesOnAtItsPace_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("monitoring") << int(MonitorButton) << 300;
        QTest::newRow("address search") << int(SearchButton) << 100;
    }
    void vanishedDeviceWorkerGoesOnAtItsPace()
    {
        QFETCH(int, button);
        QFETCH(int, waitMs);
        PluggableConsole line;
        ConsoleFixture& console = line.console;
        console.simulator.withDevice([&](ControllerDevice& device) {
            device.setAddressFilter(button == SearchButton ? AddressFilter::NoAddress : AddressFilter::OwnAddress);
        });
        console.setText(PeriodField, QStringLiteral("0"));
        console.click(button);
        QTRY_VERIFY_WITH_TIMEOUT(console.simulator.receivedFrames().size() >= 2, 10000);

        line.unplug();
        QTest::qWait(400);  // the step under way when the device went ends
        const int successes = console.number(SuccessCountText);
        NotificationWatcher notifications;
        const auto steps = [&] { return button == MonitorButton ? console.number(FailureCountText) : notifications.count; };
        const int before = steps();
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(2000);
        const double cpuShare = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000);
        const int taken = steps() - before;
        QVERIFY2(taken >= 2 && taken <= wall.elapsed() / waitMs + 1,
                 qPrintable(QStringLiteral("%1 steps in %2 ms").arg(taken).arg(wall.elapsed())));
        // A worker spinning on the failing calls would take a whole core.
        QVERIFY2(cpuShare < 0.3, qPrintable(QString::number(cpuShare)));
        QCOMPARE(console.number(SuccessCountText), successes);
        if (button == SearchButton)
            QCOMPARE(console.text(SearchResultText), QStringLiteral("查找中..."));
        QCOMPARE(console.takeMessage(), QString());

        console.click(button);
        console.simulator.withDevice([](ControllerDevice& device) { device.setAddressFilter(AddressFilter::OwnAddress); });
        line.plugBackIn();
        console.waitUntilPortIsFree();
        checkPortWorksAgain(console);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
