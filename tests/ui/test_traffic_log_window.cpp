// The communication log's window over the real console and a simulated controller: the rows a
// command, stale input and the two workers leave, and the window's controls.
#include <QAbstractItemModel>
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "console_fixture.h"
#include "ui/traffic_log_window.h"

using namespace kt::ui;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
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

void readLogCount(ConsoleFixture& console)
{
    console.simulator.withDevice(
        [](ControllerDevice& device) { device.log().forceReportedCount(3); });
    console.click(ReadLogCountButton);
}

}  // namespace

class TrafficLogWindowTest : public QObject {
    Q_OBJECT

private slots:
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
        readLogCount(console);
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

    void controlsActOnTheView()
    {
        ConsoleFixture console;
        console.openPort();
        TrafficLogWindow& window = openLog(console);
        QCOMPARE(window.windowTitle(), QStringLiteral("通讯记录"));
        QCOMPARE(QAccessible::queryAccessibleInterface(window.table())->text(QAccessible::Name),
                 QStringLiteral("通讯记录"));
        const QAbstractItemModel& model = *window.table()->model();
        readLogCount(console);
        QTRY_COMPARE(model.rowCount(), 2);

        // Paused, the view stands still while the recording goes on.
        window.pauseButton()->click();
        QCOMPARE(window.pauseButton()->text(), QStringLiteral("继续"));
        readLogCount(console);
        QTest::qWait(300);
        QCOMPARE(model.rowCount(), 2);
        window.pauseButton()->click();
        QCOMPARE(window.pauseButton()->text(), QStringLiteral("暂停"));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(window.summary()->text(), QStringLiteral("共 4 行，已丢弃最早的 0 行"));

        window.table()->selectionModel()->select(
            QItemSelection(model.index(1, 0), model.index(2, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window.copyButton()->click();
        const QRegularExpression copied(QStringLiteral(
            "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\t命令\t接收\t%1\t正确\n"
            "\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\t命令\t发送\t%2\t$").arg(kCountReply, kCountRequest));
        QVERIFY2(copied.match(QGuiApplication::clipboard()->text()).hasMatch(),
                 qPrintable(QGuiApplication::clipboard()->text()));

        // A file that cannot be written is reported once.
        QTemporaryDir folder;
        console.prompts->saveAnswer = folder.filePath(QStringLiteral("missing/log.txt"));
        window.saveButton()->click();
        QVERIFY(console.prompts->saveRequests.back().initialPath.endsWith(QStringLiteral("通讯记录.txt")));
        QCOMPARE(console.takeMessage(), QStringLiteral("保存通讯记录失败!!!"));

        window.clearButton()->click();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(window.summary()->text(), QStringLiteral("共 0 行，已丢弃最早的 0 行"));
    }
};

QTEST_MAIN(TrafficLogWindowTest)
#include "test_traffic_log_window.moc"
