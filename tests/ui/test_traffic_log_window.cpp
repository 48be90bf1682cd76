// The communication log: what it keeps when full, the file it saves, its window's pause, copy
// and clear, and the rows a command, stale input and the two workers leave in its window over
// the console and a simulated controller, also through a device server that ends while the
// monitoring runs.
#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QDateTime>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "console_fixture.h"
#include "device_server.h"
#include "recording_prompts.h"
#include "ui/traffic_log_text.h"
#include "ui/traffic_log_window.h"
#include "ui/traffic_table_model.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
using kt::serial::ReplyVerdict;
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

// The rows on view, each without its time and response time: who, which way, the bytes, the verdict.
Rows shownRows(const TrafficLogWindow& window)
{
    const QAbstractItemModel& model = *window.table()->model();
    Rows rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList fields;
        for (int column = int(TrafficColumn::Source); column <= int(TrafficColumn::Verdict); ++column)
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

// 09:05:03 and `millisecond` on 2026-12-07, local time.
std::chrono::system_clock::time_point at(int millisecond)
{
    const QDateTime time(QDate(2026, 12, 7), QTime(9, 5, 3, millisecond));
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

const TrafficRow kSentRow{.time = at(42), .bytes = {0x01, 0x03, 0x00, 0x10, 0x00, 0x01, 0x85, 0xCF}};
const TrafficRow kExceptionRow{.time = at(101), .source = TrafficSource::Monitoring,
                               .direction = TrafficDirection::Received, .verdict = ReplyVerdict::Exception,
                               .code = 0x02, .expectedLength = 7, .responseTimeMs = 12,
                               .bytes = {0x01, 0x83, 0x02, 0xC0, 0xF1}};
const TrafficRow kDiscardedRow{.time = at(999), .source = TrafficSource::Search,
                               .direction = TrafficDirection::Discarded, .bytes = {0xFE}};
const QString kSentLine = QStringLiteral("09:05:03.042\t命令\t发送\t01 03 00 10 00 01 85 CF\t\t");
const QString kExceptionLine = QStringLiteral("09:05:03.101\t监测\t接收\t01 83 02 C0 F1\t异常应答 02（非法数据地址）\t12");
const QString kDiscardedLine = QStringLiteral("09:05:03.999\t搜索\t丢弃\tFE\t\t");

int shownCount(const TrafficLogWindow& window) { return window.table()->model()->rowCount(); }

}  // namespace

class TrafficLogWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The row past ten thousand drops the first from the log, and the view lets it go from
    // its top without touching the rest.
    void aFullLogDropsItsOldestRows()
    {
        TrafficLog log;
        for (int number = 1; number <= 3; ++number)
            log.append(numberedRow(number));
        TrafficTableModel model;
        model.show(log.snapshot());
        for (int number = 4; number <= 10001; ++number)
            log.append(numberedRow(number));
        const TrafficSnapshot kept = log.snapshot();
        QCOMPARE(kept.size(), std::size_t(10000));
        QCOMPARE(kept.droppedCount(), std::uint64_t(1));

        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.show(kept);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0][1].toInt(), 0);
        QCOMPARE(removed[0][2].toInt(), 0);  // row 1 alone
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 2);  // rows 2 and 3 stay; 4 to 10001 join
        QCOMPARE(model.rowCount(), 10000);
        QCOMPARE(model.row(0).bytes, numberedRow(2).bytes);
        QCOMPARE(model.row(9999).bytes, numberedRow(10001).bytes);
    }

    // Across the top, as the window's table shows them; the rows carry no titles.
    void columnTitles()
    {
        const TrafficTableModel table;
        const QAbstractItemModel& model = table;
        QStringList titles;
        for (int column = 0; column < model.columnCount(); ++column)
            titles << model.headerData(column, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"时间", "来源", "方向", "数据", "结果", "响应时间(ms)"}));
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    }

    void savedFileHasOneLinePerRow()
    {
        TrafficLog log;
        for (const TrafficRow& row : {kSentRow, kExceptionRow, kDiscardedRow})
            log.append(row);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("通讯记录.txt"));
        QVERIFY(saveTrafficLog(path, log.snapshot()));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 kSentLine + "\r\n" + kExceptionLine + "\r\n" + kDiscardedLine + "\r\n");
        QVERIFY(!saveTrafficLog(folder.filePath(QStringLiteral("missing/x.txt")), log.snapshot()));
    }

    // Paused, the view stays as it was while recording goes on; copying takes the selected
    // rows in order; clearing empties the log itself.
    void pauseCopyAndClear()
    {
        TrafficLog log;
        log.append(kSentRow);
        log.append(kExceptionRow);
        RecordingPrompts prompts;
        TrafficLogWindow window(log, prompts);
        window.show();
        QTRY_COMPARE(shownCount(window), 2);

        window.pauseButton()->click();
        QCOMPARE(window.pauseButton()->text(), QStringLiteral("继续"));
        log.append(kDiscardedRow);
        QTest::qWait(300);  // three refreshes' time
        QCOMPARE(shownCount(window), 2);
        window.pauseButton()->click();
        QCOMPARE(window.pauseButton()->text(), QStringLiteral("暂停"));
        QCOMPARE(shownCount(window), 3);

        window.table()->selectRow(2);
        window.table()->selectionModel()->select(window.table()->model()->index(0, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window.copyButton()->click();
        QCOMPARE(QApplication::clipboard()->text(), kSentLine + "\n" + kDiscardedLine);

        window.clearButton()->click();
        QCOMPARE(shownCount(window), 0);
        QCOMPARE(log.snapshot().size(), std::size_t(0));
        QCOMPARE(window.summary()->text(), QStringLiteral("共 0 行，已丢弃最早的 0 行"));
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
