// The communication log: what it keeps when full, the file it saves, and the rows a command,
// stale input and the two workers leave in its window over the console and a simulated controller,
// also through a device server that ends while the monitoring runs.
#include <QAbstractItemModel>
#include <QDateTime>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "console_fixture.h"
#include "device_server.h"
#include "ui/traffic_log_text.h"
#include "ui/traffic_log_window.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
using kt::serial::ReplyStatus;
using kt::sim::Fault;
using Rows = QList<QStringList>;

Q_DECLARE_METATYPE(Fault)

namespace {

const QString kCountRequest = QStringLiteral("01 03 40 10 00 01 90 0F");
const QString kCountReply = QStringLiteral("01 03 02 00 03 F8 45");  // three events

// Ctrl+L on the main window.
TrafficLogWindow& openLog(ConsoleFixture& console)
{
    console.dialog->show();
    [&] { QVERIFY(QTest::qWaitForWindowActive(console.dialog.get())); }();
    QTest::keyClick(console.dialog.get(), Qt::Key_L, Qt::ControlModifier);
    TrafficLogWindow* window = console.dialog->trafficLogWindow();
    [&] { QVERIFY(window && window->isVisible()); }();
    return *window;
}

// The rows on view, each without its time: who, which way, the bytes, the verdict.
Rows shownRows(const TrafficLogWindow& window)
{
    const QAbstractItemModel& model = *window.table()->model();
    Rows rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList fields;
        for (int column = 1; column < model.columnCount(); ++column)
            fields << model.index(row, column).data().toString();
        rows << fields;
    }
    return rows;
}

// The row's number, high byte first, as its bytes.
TrafficRow numberedRow(int number)
{
    TrafficRow row;
    row.bytes = {std::uint8_t(number >> 8), std::uint8_t(number & 0xFF)};
    return row;
}

}  // namespace

class TrafficLogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theRowPastTenThousandDropsTheFirst()
    {
        TrafficLog log;
        for (int number = 1; number <= 10001; ++number)
            log.append(numberedRow(number));
        const TrafficSnapshot kept = log.snapshot();
        QCOMPARE(kept.size(), std::size_t(10000));
        QCOMPARE(kept.droppedCount(), std::uint64_t(1));
        QCOMPARE(kept[0].bytes, numberedRow(2).bytes);
        QCOMPARE(kept[9999].bytes, numberedRow(10001).bytes);
    }

    void savedFileHasOneLinePerRow()
    {
        const auto at = [](int millisecond) {
            const QDateTime time(QDate(2026, 12, 7), QTime(9, 5, 3, millisecond));
            return std::chrono::system_clock::time_point(
                std::chrono::milliseconds(time.toMSecsSinceEpoch()));
        };
        TrafficLog log;
        log.append({at(42), TrafficSource::Command, TrafficDirection::Sent, ReplyStatus::Accepted,
                    0, {0x01, 0x03, 0x00, 0x10, 0x00, 0x01, 0x85, 0xCF}});
        log.append({at(101), TrafficSource::Monitoring, TrafficDirection::Received,
                    ReplyStatus::ShortReply, 7, {0x01, 0x04}});
        log.append({at(999), TrafficSource::Search, TrafficDirection::Discarded,
                    ReplyStatus::Accepted, 0, {0xFE}});
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("通讯记录.txt"));
        QVERIFY(saveTrafficLog(path, log.snapshot()));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("09:05:03.042\t命令\t发送\t01 03 00 10 00 01 85 CF\t\r\n"
                                "09:05:03.101\t监测\t接收\t01 04\t长度不足 2/7\r\n"
                                "09:05:03.999\t搜索\t丢弃\tFE\t\r\n"));
        QVERIFY(!saveTrafficLog(folder.filePath(QStringLiteral("missing/x.txt")), log.snapshot()));
    }
    void aCommandsRows_data()
    {
        QTest::addColumn<Bytes>("stale");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Rows>("rows");
        const QStringList sent{"命令", "发送", kCountRequest, ""};
        QTest::newRow("answered") << Bytes{} << Fault{}
                                  << Rows{sent, {"命令", "接收", kCountReply, "正确"}};
        QTest::newRow("silent") << Bytes{} << Fault::noReply()
                                << Rows{sent, {"命令", "接收", "", "无应答"}};
        QTest::newRow("short") << Bytes{} << Fault::truncated(2)
                               << Rows{sent, {"命令", "接收", "01 03 02 00 03", "长度不足 5/7"}};
        QTest::newRow("bad checksum")
            << Bytes{} << Fault::badChecksum()
            << Rows{sent, {"命令", "接收", "01 03 02 00 03 F8 BA", "校验错误"}};
        QTest::newRow("stale input first")
            << Bytes{0xAA, 0x55, 0x01} << Fault{}
            << Rows{{"命令", "丢弃", "AA 55 01", ""}, sent, {"命令", "接收", kCountReply, "正确"}};
    }
    void aCommandsRows()
    {
        QFETCH(Bytes, stale);
        QFETCH(Fault, fault);
        QFETCH(Rows, rows);
        ConsoleFixture console;
        console.openPort();
        TrafficLogWindow& window = openLog(console);
        if (!stale.empty()) {
            console.simulator.injectBytes(stale);
            QTest::qWait(20);
        }
        console.simulator.addFault(fault);
        console.simulator.withDevice([](ControllerDevice& device) { device.log().forceReportedCount(3); });
        console.click(ReadLogCountButton);
        QTRY_COMPARE(shownRows(window), rows);
    }

    void workersRecordUnderTheirOwnNames_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("answers");  // replies judged right before it stops looking
        QTest::newRow("monitoring") << int(MonitorButton) << "监测" << 50;
        QTest::newRow("search") << int(SearchButton) << "搜索" << 1;
    }
    // The worker records from its own thread while the window reads the log.
    void workersRecordUnderTheirOwnNames()
    {
        QFETCH(int, button);
        QFETCH(QString, source);
        QFETCH(int, answers);
        ConsoleFixture console;
        console.openPort();
        TrafficLogWindow& window = openLog(console);
        console.setText(PeriodField, QStringLiteral("0"));
        console.click(button);
        const QStringList answered{source, QStringLiteral("接收"), QStringLiteral("正确")};
        const auto answeredRows = [&] {
            const Rows rows = shownRows(window);
            return std::count_if(rows.begin(), rows.end(), [&](const QStringList& row) {
                return QStringList{row[0], row[1], row[3]} == answered;
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(answeredRows() >= answers, 20000);
        if (console.dialog->button(button)->text() == QStringLiteral("停止监测"))
            console.click(button);
        console.waitUntilPortIsFree();
    }

    // COM1 named as a device server (ser2net) in front of the controller: a read, the log
    // download and the monitoring work as on a serial line. The server's end costs cycles, not
    // the window, and the log says once that the connection was closed; once the server is back,
    // the port opens again.
    void comPortAsADeviceServer()
    {
        ConsoleFixture console;
        kt::serial::test::DeviceServer server(console.simulator.devicePath());
        const QString address = QString::fromStdString(server.address());
        qputenv("KT5270_COM1", address.toUtf8());  // unset by the fixture
        console.simulator.withDevice([](ControllerDevice& device) {
            device.setChannelValue(kt::sim::ChannelSetting::CableLength, kt::sim::Channel::A, 12345);
            device.log().setRecords({kt::sim::makeLogRecord({2001, 1, 1, 1, 1}, 0, 2, 0)});
        });
        console.dialog->dropDown(PortNumberList)->showPopup();
        QCOMPARE(console.dialog->dropDown(PortNumberList)->itemData(0, Qt::ToolTipRole).toString(), address);
        console.openPort();
        console.click(ReadLengthAButton);
        QCOMPARE(console.text(LengthAField), QStringLiteral("123.45"));
        console.click(ReadLogButton);
        QCOMPARE(console.text(EventTable), QStringLiteral("0|2001-1-1 1:1|A|断线|"));
        TrafficLogWindow& window = openLog(console);

        console.setText(PeriodField, QStringLiteral("0"));
        console.click(MonitorButton);
        QTRY_VERIFY_WITH_TIMEOUT(console.number(SuccessCountText) >= 5, 10000);
        server.stop();
        QTRY_VERIFY_WITH_TIMEOUT(console.number(FailureCountText) >= 3, 10000);
        const QStringList closed{"监测", "断开", "", "连接被对方关闭"};
        QTRY_COMPARE(shownRows(window).count(closed), qsizetype(1));
        QVERIFY(server.start());
        console.click(MonitorButton);
        console.waitUntilPortIsFree();
        console.click(ReadLengthAButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(LengthAField), QStringLiteral("123.45"));
    }
};

QTEST_MAIN(TrafficLogWindowTest)
#include "test_traffic_log_window.moc"
