// The event log buttons against a simulated controller: the count, the clear and the download
// into the event table, with the frames they send and what the operator sees.
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <future>

#include "event_log_support.h"

using namespace kt::ui;
using namespace std::chrono_literals;
using kt::sim::Bytes;
using kt::sim::ControllerDevice;
using kt::sim::Fault;
using kt::sim::FaultRule;
using kt::sim::LogRecord;

Q_DECLARE_METATYPE(kt::sim::Bytes)
Q_DECLARE_METATYPE(kt::sim::Fault)
Q_DECLARE_METATYPE(kt::sim::LogRecord)
Q_DECLARE_METATYPE(std::vector<kt::sim::Bytes>)

namespace {

constexpr std::uint16_t kCountRegister = 0x4010;
constexpr std::uint16_t kFirstBlockRegister = 0x5000;
constexpr std::uint16_t kSecondBlockRegister = 0x50FA;

const Bytes kCountRequest = framed({0x01, 0x03, 0x40, 0x10, 0x00, 0x01});

// How long the simulator sees between the request numbered `earlier` (from 1) and the next.
std::future<std::chrono::milliseconds> gapAfterRequest(kt::sim::ControllerSimulator& simulator,
                                                       std::size_t earlier)
{
    return std::async(std::launch::async, [&simulator, earlier] {
        simulator.waitForFrames(earlier, 10s);
        const auto start = std::chrono::steady_clock::now();
        simulator.waitForFrames(earlier + 1, 10s);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    });
}

int heldRecordCount(ConsoleFixture& console)
{
    return console.simulator.withDevice(
        [](ControllerDevice& device) { return int(device.log().records().size()); });
}

}  // namespace

class EventLogTest : public QObject {
    Q_OBJECT

private slots:
    // The count fills its field; the clear, a write of one word that carries none (8 bytes,
    // not 10), reports the controller's answer and leaves the field. Neither touches the table.
    void countAndClear_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("held");
        QTest::addColumn<uint>("refusal");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("recordsLeft");
        const int count = ReadLogCountButton, clear = ClearLogButton;
        QTest::newRow("count of an empty log") << count << 0 << 0u << "" << "0" << 0;
        QTest::newRow("count of two bytes") << count << 258 << 0u << "" << "258" << 40;
        QTest::newRow("count unsigned") << count << 65535 << 0u << "" << "65535" << 40;
        QTest::newRow("clear accepted") << clear << 3 << 0u << "清除日志成功!!!" << "kept" << 0;
        QTest::newRow("clear refused low") << clear << 3 << 0x0001u << "清除日志失败!!!" << "kept" << 3;
        QTest::newRow("clear refused high") << clear << 3 << 0x0100u << "清除日志失败!!!" << "kept" << 3;
    }
    void countAndClear()
    {
        QFETCH(int, button);
        QFETCH(int, held);
        QFETCH(uint, refusal);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QFETCH(int, recordsLeft);
        ConsoleFixture console;
        console.openPort();
        holdNumberedRecords(console, held);
        console.simulator.withDevice([&](ControllerDevice& device) {
            device.refuseWrites(static_cast<std::uint16_t>(refusal), kCountRegister);
        });
        console.setText(LogCountField, QStringLiteral("kept"));
        showEarlierRows(*console.dialog);
        console.click(button);
        QCOMPARE(console.takeMessage(), message);
        QCOMPARE(console.text(LogCountField), shown);
        const Bytes request = button == ClearLogButton ? framed({0x01, 0x06, 0x40, 0x10, 0x00, 0x01})
                                                       : kCountRequest;
        QCOMPARE(console.takeFrames(), std::vector<Bytes>{request});
        QCOMPARE(heldRecordCount(console), recordsLeft);
        QCOMPARE(tableRows(*console.dialog), kEarlierRows);
    }

    // A download that ends without a message has read exactly the replies the controller sent,
    // 10 bytes a record and 5 around them: a longer wait would come up short, a shorter read
    // would fail its checksum.
    void downloadPlans_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<std::vector<Bytes>>("blockRequests");
        const Bytes fullFirstBlock = framed({0x21, 0x03, 0x50, 0x00, 0x00, 0x7D});
        QTest::newRow("0 still asks") << 0 << std::vector<Bytes>{framed({0x21, 0x03, 0x50, 0x00, 0x00, 0x00})};
        QTest::newRow("1") << 1 << std::vector<Bytes>{framed({0x21, 0x03, 0x50, 0x00, 0x00, 0x05})};
        QTest::newRow("25 in one block") << 25 << std::vector<Bytes>{fullFirstBlock};
        QTest::newRow("26") << 26 << std::vector<Bytes>{fullFirstBlock, framed({0x21, 0x03, 0x50, 0xFA, 0x00, 0x05})};
        QTest::newRow("40") << 40 << std::vector<Bytes>{fullFirstBlock, framed({0x21, 0x03, 0x50, 0xFA, 0x00, 0x4B})};
        QTest::newRow("41 not read") << 41 << std::vector<Bytes>{};
        QTest::newRow("65535 not read") << 65535 << std::vector<Bytes>{};
    }
    void downloadPlans()
    {
        QFETCH(int, count);
        QFETCH(std::vector<Bytes>, blockRequests);
        ConsoleFixture console;
        console.openPort();
        console.simulator.withDevice([](ControllerDevice& device) { device.setAddress(0x21); });
        console.setText(StationAddressField, QStringLiteral("33"));
        console.setText(LogCountField, QStringLiteral("kept"));
        holdNumberedRecords(console, count);
        showEarlierRows(*console.dialog);
        // Stale input is drained once, before the count.
        console.simulator.injectBytes({0x21, 0x03, 0x02});
        QTest::qWait(20);
        const bool twoBlocks = blockRequests.size() == 2;
        std::future<std::chrono::milliseconds> pause;
        if (twoBlocks)
            pause = gapAfterRequest(console.simulator, 2);

        console.click(ReadLogButton);
        QCOMPARE(console.takeMessage(), QString());
        std::vector<Bytes> requests{framed({0x21, 0x03, 0x40, 0x10, 0x00, 0x01})};
        requests.insert(requests.end(), blockRequests.begin(), blockRequests.end());
        QCOMPARE(console.takeFrames(), requests);
        QList<QStringList> rows;
        for (int k = 0; count <= 40 && k < count; ++k)
            rows << numberedRow(k);
        QCOMPARE(tableRows(*console.dialog), rows);
        QCOMPARE(console.text(LogCountField), QStringLiteral("kept"));

        // A lower bound only: the watcher may start late, never early.
        if (twoBlocks)
            QVERIFY2(pause.get() >= 250ms, "the second block follows a pause of 300 ms");
    }

    // Each record's row in the table and its line in the export file.
    void recordsReadAsLogged_data()
    {
        QTest::addColumn<LogRecord>("record");
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QByteArray>("line");
        const QByteArray leak = QByteArray::fromHex("D0B9C2B6");
        const QByteArray brk = QByteArray::fromHex("B6CFCFDF");
        QTest::newRow("leak on B") << LogRecord{0x20, 0x10, 0x07, 0x07, 0x09, 0x05, 1, 0, 0x04, 0xD2}
                                   << QStringList{"0", "2010-7-7 9:5", "B", "泄露", "12.34"}
                                   << "0  2010-7-7 9:5  B  " + leak + "  12.34\r\n";
        QTest::newRow("break on A") << LogRecord{0x19, 0x99, 0x12, 0x31, 0x23, 0x59, 0, 2, 0x04, 0xD2}
                                    << QStringList{"0", "1999-12-31 23:59", "A", "断线", ""}
                                    << "0  1999-12-31 23:59  A  " + brk + "  \r\n";
        QTest::newRow("A leak wins over B break") << LogRecord{0x20, 0x10, 0x07, 0x07, 0x09, 0x05, 2, 1, 0x04, 0xD2}
                                                  << QStringList{"0", "2010-7-7 9:5", "A", "泄露", "12.34"}
                                                  << "0  2010-7-7 9:5  A  " + leak + "  12.34\r\n";
        QTest::newRow("A break wins over B leak") << LogRecord{0x20, 0x10, 0x07, 0x07, 0x09, 0x05, 1, 2, 0x04, 0xD2}
                                                  << QStringList{"0", "2010-7-7 9:5", "A", "断线", ""}
                                                  << "0  2010-7-7 9:5  A  " + brk + "  \r\n";
        QTest::newRow("no event") << LogRecord{0x20, 0x10, 0x07, 0x07, 0x09, 0x05, 0, 0, 0x04, 0xD2}
                                  << QStringList{"0", "2010-7-7 9:5", "", "", ""}
                                  << QByteArray("0  2010-7-7 9:5      \r\n");
        QTest::newRow("unknown codes") << LogRecord{0x20, 0x10, 0x07, 0x07, 0x09, 0x05, 3, 0xFF, 0, 0}
                                       << QStringList{"0", "2010-7-7 9:5", "", "", ""}
                                       << QByteArray("0  2010-7-7 9:5      \r\n");
        QTest::newRow("BCD nibbles above 9") << LogRecord{0x1A, 0x1A, 0x1A, 0x1A, 0x1A, 0xFF, 1, 0, 0, 1}
                                             << QStringList{"0", "2020-20-20 20:165", "B", "泄露", "0.01"}
                                             << "0  2020-20-20 20:165  B  " + leak + "  0.01\r\n";
        QTest::newRow("distance 0") << LogRecord{0x20, 0x10, 0x01, 0x01, 0x00, 0x00, 0, 1, 0, 0}
                                    << QStringList{"0", "2010-1-1 0:0", "A", "泄露", "0.00"}
                                    << "0  2010-1-1 0:0  A  " + leak + "  0.00\r\n";
        QTest::newRow("distance 0xFFFF") << LogRecord{0x20, 0x10, 0x01, 0x01, 0x00, 0x00, 1, 0, 0xFF, 0xFF}
                                         << QStringList{"0", "2010-1-1 0:0", "B", "泄露", "655.35"}
                                         << "0  2010-1-1 0:0  B  " + leak + "  655.35\r\n";
    }
    void recordsReadAsLogged()
    {
        QFETCH(LogRecord, record);
        QFETCH(QStringList, row);
        QFETCH(QByteArray, line);
        ConsoleFixture console;
        console.openPort();
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("events.txt"));
        chooseExportFile(console, path);
        console.simulator.withDevice([&](ControllerDevice& device) { device.log().setRecords({record}); });
        console.click(ReadLogButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(tableRows(*console.dialog), QList<QStringList>{row});
        QCOMPARE(fileBytes(path), line);
    }

    // A failed exchange leaves the count field, and the table and the export file keep what
    // came before it: the earlier rows when the count fails, else block by block. The save
    // failure message is not shown.
    void failuresKeepWhatCameBefore_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failingRegister");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rowsLeft");  // -1: the earlier rows
        QTest::addColumn<int>("requests");
        const int count = kCountRegister, first = kFirstBlockRegister, second = kSecondBlockRegister;
        const int countButton = ReadLogCountButton, clear = ClearLogButton, download = ReadLogButton;
        QTest::newRow("count short") << countButton << 9 << count << Fault::truncated(1) << "读数据错误" << -1 << 1;
        QTest::newRow("count checksum") << countButton << 9 << count << Fault::badChecksum() << "校验出错!!!" << -1 << 1;
        QTest::newRow("clear short") << clear << 9 << count << Fault::truncated(1) << "读数据错误" << -1 << 1;
        QTest::newRow("clear checksum") << clear << 9 << count << Fault::badChecksum() << "校验出错!!!" << -1 << 1;
        QTest::newRow("download count short") << download << 3 << count << Fault::truncated(1) << "读数据错误" << -1 << 1;
        QTest::newRow("download count corrupt") << download << 3 << count << Fault::badChecksum() << "校验出错!!!" << -1 << 1;
        QTest::newRow("empty log unanswered") << download << 0 << first << Fault::noReply() << "读数据错误" << 0 << 2;
        QTest::newRow("single block short") << download << 1 << first << Fault::truncated(1) << "读数据错误" << 0 << 2;
        QTest::newRow("full single block short") << download << 25 << first << Fault::truncated(1) << "读数据错误" << 0 << 2;
        QTest::newRow("single block corrupt") << download << 3 << first << Fault::badChecksum() << "校验出错!!!" << 0 << 2;
        QTest::newRow("block 1 short") << download << 30 << first << Fault::truncated(1) << "读数据错误" << 0 << 2;
        QTest::newRow("block 1 corrupt") << download << 40 << first << Fault::badChecksum() << "校验出错!!!" << 0 << 2;
        QTest::newRow("block 2 short") << download << 26 << second << Fault::truncated(1) << "读数据错误" << 25 << 3;
        QTest::newRow("block 2 unanswered") << download << 40 << second << Fault::noReply() << "读数据错误" << 25 << 3;
        QTest::newRow("block 2 corrupt") << download << 40 << second << Fault::badChecksum() << "校验出错!!!" << 25 << 3;
    }
    void failuresKeepWhatCameBefore()
    {
        QFETCH(int, button);
        QFETCH(int, count);
        QFETCH(int, failingRegister);
        QFETCH(Fault, fault);
        QFETCH(QString, message);
        QFETCH(int, rowsLeft);
        QFETCH(int, requests);
        ConsoleFixture console;
        console.openPort();
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("events.txt"));
        chooseExportFile(console, path);
        holdNumberedRecords(console, count);
        console.setText(LogCountField, QStringLiteral("kept"));
        showEarlierRows(*console.dialog);
        console.simulator.addFault(FaultRule(fault, 1, std::nullopt,
                                             static_cast<std::uint16_t>(failingRegister)));
        console.click(button);
        QCOMPARE(console.takeMessage(), message);
        QCOMPARE(console.takeFrames().size(), std::size_t(requests));
        QCOMPARE(console.text(LogCountField), QStringLiteral("kept"));
        QList<QStringList> rows = kEarlierRows;
        if (rowsLeft >= 0)
            rows.clear();
        for (int k = 0; k < rowsLeft; ++k)
            rows << numberedRow(k);
        QCOMPARE(tableRows(*console.dialog), rows);
        QCOMPARE(fileBytes(path).count("\r\n"), qMax(rowsLeft, 0));
    }
};

QTEST_MAIN(EventLogTest)
#include "test_event_log.moc"
