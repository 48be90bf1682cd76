// The port button: opening the selected port at the selected speed, the failure paths, and
// closing, with the caption and the lamp telling the state.
#include <QComboBox>
#include <QTest>

#include "console_fixture.h"
#include "serial/serial_port.h"

using namespace kt::ui;

namespace {

const QString kOpenFailure = QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!");

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
            QVERIFY(console.dialog->isPortOpen());
            QVERIFY(lampShows(*console.dialog, PortLamp, images.portOpenIcon));

            console.click(PortButton);
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, images.portClosedIcon));
            QCOMPARE(console.takeMessage(), QString());
        }
        // Opening and closing only concern the local port: nothing goes to the controller.
        QVERIFY(console.takeFrames().empty());
    }

    void closedPortIsFreeForOthers()
    {
        ConsoleFixture console;
        console.openPort();
        QVERIFY(!kt::serial::openSerialPort(1, 9600));
        console.click(PortButton);
        QVERIFY(kt::serial::openSerialPort(1, 9600) != nullptr);
    }

    void failedOpenLeavesThePortClosed_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("rateText");
        QTest::newRow("no such device") << "COM2" << "9600";
        QTest::newRow("typed port name") << "COM1 " << "9600";
        QTest::newRow("typed speed") << "COM1" << "1200";
    }
    void failedOpenLeavesThePortClosed()
    {
        QFETCH(QString, portText);
        QFETCH(QString, rateText);
        ConsoleFixture console;
        qputenv("KT5270_COM2", "/nonexistent/tty-for-test");
        QComboBox* ports = console.dialog->dropDown(PortNumberList);
        QComboBox* rates = console.dialog->dropDown(PortBaudRateList);
        // Picking an item selects it; typing text that is no item leaves none selected.
        const int portItem = ports->findText(portText);
        if (portItem >= 0)
            ports->setCurrentIndex(portItem);
        else
            ports->setEditText(portText);
        const int rateItem = rates->findText(rateText);
        if (rateItem >= 0)
            rates->setCurrentIndex(rateItem);
        else
            rates->setEditText(rateText);

        for (int attempt = 0; attempt < 2; ++attempt) {
            console.click(PortButton);
            QCOMPARE(console.takeMessage(), kOpenFailure);
            QVERIFY(!console.dialog->isPortOpen());
            QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
            QVERIFY(lampShows(*console.dialog, PortLamp, LampImages::create().portClosedIcon));
        }
        QCOMPARE(ports->currentText(), portText);
        QCOMPARE(rates->currentText(), rateText);
        qunsetenv("KT5270_COM2");
    }

    void portHeldByAnotherProgramFails()
    {
        ConsoleFixture console;
        const auto other = kt::serial::openSerialPort(1, 9600);
        QVERIFY(other != nullptr);
        console.click(PortButton);
        QCOMPARE(console.takeMessage(), kOpenFailure);
        QVERIFY(!console.dialog->isPortOpen());
    }

    void closeIsRefusedWhileMonitoring()
    {
        ConsoleFixture console;
        console.openPort();
        console.click(MonitorButton);
        console.click(PortButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("请先停止监测!!!"));
        QVERIFY(console.dialog->isPortOpen());
        QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("关闭串口"));

        // Once the stopped worker has ended, the next click closes the port.
        console.click(MonitorButton);
        QTRY_VERIFY_WITH_TIMEOUT((console.click(PortButton), !console.dialog->isPortOpen()), 10000);
        QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("打开串口"));
    }
};

QTEST_MAIN(PortControlTest)
#include "test_port_control.moc"
