// The port button: opening the selected port at the selected speed, the failure paths, and
// closing, with the caption and the lamp telling the state; and what every command needs of
// the port and the station address before it sends anything.
#include <QComboBox>
#include <QTest>

#include "command_guards.h"
#include "console_fixture.h"
#include "serial/serial_port.h"

using namespace kt::ui;

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
            QVERIFY(!kt::serial::openSerialPort(1, 9600));

            console.click(PortButton);
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, images.portClosedIcon));
            QCOMPARE(console.takeMessage(), QString());
            QVERIFY(kt::serial::openSerialPort(1, 9600) != nullptr);
        }
        // Opening and closing only concern the local port: nothing goes to the controller.
        QVERIFY(console.takeFrames().empty());
    }

    void failedOpenLeavesThePortClosed_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::newRow("no such device") << "COM2" << "9600" << false;
        QTest::newRow("typed port name") << "COM1 " << "9600" << false;
        QTest::newRow("typed speed") << "COM1" << "1200" << false;
        QTest::newRow("held by another program") << "COM1" << "9600" << true;
    }
    void failedOpenLeavesThePortClosed()
    {
        QFETCH(QString, portText);
        QFETCH(QString, rateText);
        QFETCH(bool, heldElsewhere);
        ConsoleFixture console;
        qputenv("KT5270_COM2", "/nonexistent/tty-for-test");
        const auto other = heldElsewhere ? kt::serial::openSerialPort(1, 9600) : nullptr;
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
            QCOMPARE(console.takeMessage(),
                     QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!"));
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, LampImages::create().portClosedIcon));
        }
        QCOMPARE(console.dialog->dropDown(PortNumberList)->currentText(), portText);
        QCOMPARE(console.dialog->dropDown(PortBaudRateList)->currentText(), rateText);
        qunsetenv("KT5270_COM2");
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
