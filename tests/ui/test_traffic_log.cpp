// The communication log on its own: what it keeps when full, the verdict it gives a reply, and
// the file it saves.
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ui/traffic_log_text.h"

using namespace kt::ui;
using kt::serial::ReplyStatus;

namespace {

// The row's number, high byte first, as its bytes.
TrafficRow numberedRow(std::size_t number)
{
    TrafficRow row;
    row.bytes = {std::uint8_t(number >> 8), std::uint8_t(number & 0xFF)};
    return row;
}

std::size_t numberOf(const TrafficRow& row)
{
    return std::size_t(row.bytes.at(0)) << 8 | row.bytes.at(1);
}

}  // namespace

class TrafficLogTest : public QObject {
    Q_OBJECT

private slots:
    void keepsTheNewestRows_data()
    {
        QTest::addColumn<int>("appended");
        QTest::addColumn<int>("dropped");
        QTest::newRow("full") << 10000 << 0;
        QTest::newRow("one more drops the first") << 10001 << 1;
        QTest::newRow("a block's worth dropped") << 10512 << 512;
        QTest::newRow("one past a block") << 10513 << 513;
    }
    void keepsTheNewestRows()
    {
        QFETCH(int, appended);
        QFETCH(int, dropped);
        TrafficLog log;
        for (int number = 1; number <= 10000; ++number)
            log.append(numberedRow(number));
        const TrafficSnapshot before = log.snapshot();
        for (int number = 10001; number <= appended; ++number)
            log.append(numberedRow(number));

        const TrafficSnapshot after = log.snapshot();
        QCOMPARE(after.size(), std::size_t(10000));
        QCOMPARE(after.droppedCount(), std::uint64_t(dropped));
        QCOMPARE(numberOf(after[0]), std::size_t(dropped + 1));
        QCOMPARE(numberOf(after[9999]), std::size_t(appended));
        // What was taken before stays as it was.
        QCOMPARE(numberOf(before[0]), std::size_t(1));
        QCOMPARE(numberOf(before[9999]), std::size_t(10000));

        log.clear();
        QCOMPARE(log.snapshot().size(), std::size_t(0));
        QCOMPARE(log.snapshot().droppedCount(), std::uint64_t(0));
        QCOMPARE(numberOf(after[0]), std::size_t(dropped + 1));
    }

    void verdictOfAReply_data()
    {
        QTest::addColumn<ReplyStatus>("status");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("accepted") << ReplyStatus::Accepted << 7 << "正确";
        QTest::newRow("bad checksum") << ReplyStatus::BadChecksum << 7 << "校验错误";
        QTest::newRow("short") << ReplyStatus::ShortReply << 3 << "长度不足 3/7";
        QTest::newRow("nothing") << ReplyStatus::ShortReply << 0 << "无应答";
    }
    void verdictOfAReply()
    {
        QFETCH(ReplyStatus, status);
        QFETCH(int, length);
        QFETCH(QString, verdict);
        TrafficLog log;
        TrafficRecorder recorder(log, TrafficSource::Command);
        recorder.received({status, std::vector<std::uint8_t>(std::size_t(length), 0x01)}, 7);
        QCOMPARE(trafficField(log.snapshot()[0], TrafficColumn::Verdict), verdict);
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
};

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "test_traffic_log.moc"
