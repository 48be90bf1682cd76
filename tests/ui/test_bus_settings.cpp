// The controller's own baud rate and address against a simulated controller: the frames sent
// for picked and typed values, the range refusals, and that the console's own port and station
// address stay as they were.
#include <QComboBox>
#include <QTest>

#include "console_fixture.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;

Q_DECLARE_METATYPE(kt::sim::Bytes)

namespace {

const QString kNoPick;  // the rate is typed instead

Bytes baudRateFrame(std::uint8_t high, std::uint8_t low)
{
    return framed({0x01, 0x06, 0x80, 0x00, 0x00, 0x01, high, low});
}

std::uint16_t controllerBaudRate(ConsoleFixture& console)
{
    return console.simulator.withDevice([](ControllerDevice& device) { return device.baudRate(); });
}

std::uint8_t controllerAddress(ConsoleFixture& console)
{
    return console.simulator.withDevice([](ControllerDevice& device) { return device.address(); });
}

Bytes addressFrame(std::uint8_t newAddress)
{
    return framed({0x01, 0x06, 0x80, 0x01, 0x00, 0x01, 0x00, newAddress});
}

}  // namespace

class BusSettingsTest : public QObject {
    Q_OBJECT

private slots:
    // An empty request means the entry is refused and nothing goes out.
    void baudRateSendsTheListsText_data()
    {
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<QString>("message");
        const QString success = QStringLiteral("设置波特率成功!!!");
        const QString range = QStringLiteral("数值范围是0~65535，请重新输入!!!");
        QTest::newRow("2400") << 0 << kNoPick << baudRateFrame(0x09, 0x60) << success;
        QTest::newRow("4800") << 1 << kNoPick << baudRateFrame(0x12, 0xC0) << success;
        QTest::newRow("9600") << 2 << kNoPick
                              << Bytes{0x01, 0x06, 0x80, 0x00, 0x00, 0x01, 0x25, 0x80, 0xB2, 0xF7}
                              << success;
        QTest::newRow("19200") << 3 << kNoPick << baudRateFrame(0x4B, 0x00) << success;
        QTest::newRow("38400") << 4 << kNoPick << baudRateFrame(0x96, 0x00) << success;
        QTest::newRow("typed 1200") << -1 << " 1200 baud" << baudRateFrame(0x04, 0xB0) << success;
        QTest::newRow("empty") << -1 << "" << baudRateFrame(0x00, 0x00) << success;
        QTest::newRow("65535") << -1 << "65535" << baudRateFrame(0xFF, 0xFF) << success;
        QTest::newRow("65536") << -1 << "65536" << Bytes{} << range;
        QTest::newRow("115200") << -1 << "115200" << Bytes{} << range;
        QTest::newRow("negative") << -1 << "-9600" << Bytes{} << range;
    }
    void baudRateSendsTheListsText()
    {
        QFETCH(int, pick);
        QFETCH(QString, typed);
        QFETCH(Bytes, request);
        QFETCH(QString, message);
        ConsoleFixture console;
        console.openPort();
        QComboBox* list = console.dialog->dropDown(DeviceBaudRateList);
        if (pick >= 0)
            list->setCurrentIndex(pick);
        else
            list->setEditText(typed);

        console.click(SetDeviceBaudRateButton);
        QCOMPARE(console.takeMessage(), message);
        const auto frames = console.takeFrames();
        if (request.empty()) {
            QVERIFY(frames.empty());
            return;
        }
        QCOMPARE(frames, std::vector<Bytes>{request});
        QCOMPARE(controllerBaudRate(console), std::uint16_t(request[6] << 8 | request[7]));
    }

    void addressSendsTheNewAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<QString>("message");
        const QString success = QStringLiteral("设置地址成功!!!");
        const QString range = QStringLiteral("地址范围是0~255，请重新输入!!!");
        QTest::newRow("5") << "5"
                           << Bytes{0x01, 0x06, 0x80, 0x01, 0x00, 0x01, 0x00, 0x05, 0x54, 0x04}
                           << success;
        QTest::newRow("0") << "0" << addressFrame(0) << success;
        QTest::newRow("255") << "255" << addressFrame(255) << success;
        QTest::newRow("empty") << "" << addressFrame(0) << success;
        QTest::newRow("lenient") << " +7th" << addressFrame(7) << success;
        QTest::newRow("256") << "256" << Bytes{} << range;
        QTest::newRow("-1") << "-1" << Bytes{} << range;
        QTest::newRow("wrapping to 5") << "18446744073709551621" << Bytes{} << range;
    }
    void addressSendsTheNewAddress()
    {
        QFETCH(QString, typed);
        QFETCH(Bytes, request);
        QFETCH(QString, message);
        ConsoleFixture console;
        console.openPort();
        console.setText(NewAddressField, typed);
        console.click(SetDeviceAddressButton);
        QCOMPARE(console.takeMessage(), message);
        const auto frames = console.takeFrames();
        if (request.empty()) {
            QVERIFY(frames.empty());
            QCOMPARE(controllerAddress(console), std::uint8_t(1));
            return;
        }
        QCOMPARE(frames, std::vector<Bytes>{request});
        QCOMPARE(controllerAddress(console), request[7]);
    }

    void consoleKeepsItsPortAndStationAddressAndRefusalsSaySo()
    {
        ConsoleFixture console;
        console.openPort();
        console.dialog->dropDown(DeviceBaudRateList)->setCurrentIndex(4);
        console.click(SetDeviceBaudRateButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置波特率成功!!!"));
        console.setText(NewAddressField, QStringLiteral("5"));
        console.click(SetDeviceAddressButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置地址成功!!!"));

        QCOMPARE(console.text(StationAddressField), QStringLiteral("1"));
        QCOMPARE(console.dialog->dropDown(PortBaudRateList)->currentText(), QStringLiteral("9600"));
        QCOMPARE(console.dialog->button(PortButton)->text(), QStringLiteral("关闭串口"));
        console.takeFrames();

        // The next command still goes to the old address, which no longer answers.
        console.click(SetDeviceBaudRateButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("读数据错误"));
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{baudRateFrame(0x96, 0x00)});

        // The same open port reaches the controller once the operator types its new address.
        console.setText(StationAddressField, QStringLiteral("5"));
        console.click(SetDeviceBaudRateButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置波特率成功!!!"));

        console.simulator.withDevice([](ControllerDevice& device) {
            device.refuseWrites(0x0001, 0x8000);
            device.refuseWrites(0x0100, 0x8001);
        });
        console.click(SetDeviceBaudRateButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置波特率失败!!!"));
        console.click(SetDeviceAddressButton);
        QCOMPARE(console.takeMessage(), QStringLiteral("设置地址失败!!!"));
    }

};

QTEST_MAIN(BusSettingsTest)
#include "test_bus_settings.moc"
