// The event log download against a simulated controller: its blocks, the event table, the
// export file it appends to, and what a failed exchange or an unwritable file leaves behind.
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>

#include "console_fixture.h"

using namespace kt::ui;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;

Q_DECLARE_METATYPE(Fault)

namespace {

// The controller holds records 0 to min(count, 40) - 1 of a made-up log, each a leak on
// channel B whose time and distance tell it apart, and reports `count` of them.
void holdNumberedRecords(ConsoleFixture& console, int count)
{
    std::vector<kt::sim::LogRecord> records;
    for (int k = 0; k < std::min(count, 40); ++k)
        records.push_back(kt::sim::makeLogRecord({2010, 1 + k % 12, 1 + k % 28, k % 24, k}, 1, 0, std::uint16_t(100 + k)));
    console.simulator.withDevice([&](ControllerDevice& device) {
        device.log().setRecords(records);
        device.log().forceReportedCount(std::uint16_t(count));
    });
}

// The table rows of the first `count` numbered records.
QString numberedRows(int count)
{
    QStringList rows;
    for (int k = 0; k < count; ++k)
        rows << QStringLiteral("%1|2010-%2-%3 %4:%5|B|泄露|%6").arg(k).arg(1 + k % 12).arg(1 + k % 28).arg(k % 24).arg(k)
                    .arg(QString::number((100 + k) / 100.0, 'f', 2));
    return rows.join(u'\n');
}

const QString kEarlierRow = QStringLiteral("0|2001-1-1 1:1|A|断线|");

// A download of one record, whose row the next download must replace.
void downloadEarlierRow(ConsoleFixture& console)
{
    console.simulator.withDevice([](ControllerDevice& device) {
        device.log().setRecords({kt::sim::makeLogRecord({2001, 1, 1, 1, 1}, 0, 2, 0)});
    });
    console.click(ReadLogButton);
    QCOMPARE(console.text(EventTable), kEarlierRow);
}

// Ticks the save-log box and confirms the save dialog with `path`.
void chooseExportFile(ConsoleFixture& console, const QString& path)
{
    console.prompts->saveAnswer = path;
    console.dialog->checkBox(SaveLogCheckBox)->click();
    QVERIFY(console.dialog->checkBox(SaveLogCheckBox)->isChecked());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
}

}  // namespace

class EventLogTest : public QObject {
    Q_OBJECT

private slots:
    // The file proposed is KT_5270.txt in the start-up directory, whatever the current one or the file
    // chosen before. An unticked box keeps the path but exports nothing; once ticked, each download
    // appends its rows to the file. Cancelling the dialog unticks the box and empties the path.
    void downloadsAppendGbkLinesToTheChosenFile()
    {
        const QString startup = QDir::currentPath();
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([](ControllerDevice& device) {
            device.log().setRecords({kt::sim::makeLogRecord({2010, 7, 7, 9, 5}, 1, 0, 1234),
                                     kt::sim::makeLogRecord({1999, 12, 31, 23, 59}, 0, 2, 1234)});
        });
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("events.txt"));
        const QByteArray kept = "an earlier line\r\n";
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(kept) == kept.size());
        earlier.close();
        chooseExportFile(console, path);
        console.dialog->checkBox(SaveLogCheckBox)->click();
        console.click(ReadLogButton);
        QCOMPARE(console.text(ExportPathField), path);
        QCOMPARE(fileBytes(path), kept);

        QVERIFY(QDir::setCurrent(folder.path()));
        chooseExportFile(console, path);
        QVERIFY(QDir::setCurrent(startup));
        console.click(ReadLogButton);
        console.click(ReadLogButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(console.text(EventTable), QStringLiteral("0|2010-7-7 9:5|B|泄露|12.34\n1|1999-12-31 23:59|A|断线|"));
        const QByteArray once = "0  2010-7-7 9:5  B  \xD0\xB9\xC2\xB6  12.34\r\n"
                                "1  1999-12-31 23:59  A  \xB6\xCF\xCF\xDF  \r\n";
        QCOMPARE(fileBytes(path), kept + once + once);

        console.dialog->checkBox(SaveLogCheckBox)->click();
        console.prompts->saveAnswer.clear();
        console.dialog->checkBox(SaveLogCheckBox)->click();
        QVERIFY(!console.dialog->checkBox(SaveLogCheckBox)->isChecked());
        QCOMPARE(console.text(ExportPathField), QString());
        QCOMPARE(console.prompts->saveRequests.size(), std::size_t(3));
        for (const SaveFileRequest& request : console.prompts->saveRequests)
            QCOMPARE(request.initialPath + u' ' + request.filter, startup + QStringLiteral("/KT_5270.txt 文本文件 (*.txt)"));
    }

    // A download replaces the table's rows and leaves the count field; more than 40 records are not
    // read. A failed exchange keeps in the table and the file what came before it: the earlier row
    // when the count fails, else block by block. A file that takes no lines is reported once, last.
    void downloadKeepsWhatCameBefore_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failingRegister");  // 0: none
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("path");  // empty: a file that takes the lines
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rowsLeft");  // -1: the earlier row
        const QString missing = QStringLiteral("/nonexistent-folder/events.txt");
        QTest::newRow("26 in two blocks") << 26 << 0 << Fault{} << "" << "" << 26;
        QTest::newRow("41 not read") << 41 << 0 << Fault{} << "" << "" << 0;
        QTest::newRow("count short") << 3 << 0x4010 << Fault::truncated(1) << "" << "读数据错误" << -1;
        QTest::newRow("block 2 unanswered") << 40 << 0x50FA << Fault::noReply() << "" << "读数据错误" << 25;
        QTest::newRow("missing folder") << 30 << 0 << Fault{} << missing << "保存日志失败!!!" << 30;
        QTest::newRow("a full disk") << 30 << 0 << Fault{} << "/dev/full" << "保存日志失败!!!" << 30;
        QTest::newRow("block 2 corrupt, missing folder")
            << 30 << 0x50FA << Fault::badChecksum() << missing << "校验出错!!! | 保存日志失败!!!" << 25;
    }
    void downloadKeepsWhatCameBefore()
    {
        QFETCH(int, count);
        QFETCH(int, failingRegister);
        QFETCH(Fault, fault);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(int, rowsLeft);
        ConsoleFixture console;
        console.openPort();
        console.setText(LogCountField, QStringLiteral("kept"));
        downloadEarlierRow(console);
        QTemporaryDir folder;
        const QString file = path.isEmpty() ? folder.filePath(QStringLiteral("events.txt")) : path;
        chooseExportFile(console, file);
        holdNumberedRecords(console, count);
        if (failingRegister != 0)
            console.simulator.addFault(FaultRule(fault, 1, std::nullopt, std::uint16_t(failingRegister)));
        console.click(ReadLogButton);
        QCOMPARE(console.takeMessage(), message);
        QCOMPARE(console.text(LogCountField), QStringLiteral("kept"));
        QCOMPARE(console.text(EventTable), rowsLeft < 0 ? kEarlierRow : numberedRows(rowsLeft));
        if (path.isEmpty())
            QCOMPARE(fileBytes(file).count("\r\n"), qMax(rowsLeft, 0));
    }
};

QTEST_MAIN(EventLogTest)
#include "test_event_log.moc"
