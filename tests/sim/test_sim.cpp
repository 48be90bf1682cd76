// The simulator's frame assembly and command line; the window tests check its answers end to end.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "serial/serial_port.h"
#include "sim/controller_simulator.h"
#include "sim/simulator_options.h"

using namespace kt::sim;
using namespace std::chrono_literals;

namespace {

Bytes hex(const QByteArray& text) { const QByteArray bytes = QByteArray::fromHex(text); return {bytes.begin(), bytes.end()}; }

// Frames as hex, "!" marking bytes that are no well-formed request.
QStringList shown(const std::vector<ReceivedFrame>& frames)
{
    QStringList list;
    for (const ReceivedFrame& frame : frames)
        list << (frame.wellFormed ? "" : "!") + QByteArray(reinterpret_cast<const char*>(frame.bytes.data()), qsizetype(frame.bytes.size())).toHex(' ');
    return list;
}

}  // namespace

class SimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void assemblerCutsTheStream_data()
    {
        QTest::addColumn<QByteArray>("stream");  // fed at once, then the line goes quiet
        QTest::addColumn<QStringList>("frames");
        const QByteArray read = "01 03 60 01 00 02 8b cb", clear = "01 06 40 10 00 01 5c 0f";
        const QByteArray clock = "01 10 60 10 00 04 20 12 03 05 09 07 00 03 7d a6";
        const QByteArray broken = "01 03 60 01 00 02 8b ca", half = "01 03 60 01 00";
        QTest::newRow("read, clear, clock write") << read + " " + clear + " " + clock << QStringList{read, clear, clock};
        QTest::newRow("stray byte ahead") << "ff " + read << QStringList{"!ff", read};
        QTest::newRow("half a request, then a whole one") << half + " " + read << QStringList{"!" + half, read};
        QTest::newRow("bad checksum, then a good request") << broken + " " + clear << QStringList{"!" + broken, clear};
        const QByteArray garbage = QByteArray(kLongestRequestBytes, 'f').replace("f", "ff ").trimmed();
        QTest::newRow("more garbage than any request holds")
            << garbage + " ff ff" << QStringList{"!ff ff", "!" + garbage};
    }
    void assemblerCutsTheStream()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, frames);
        FrameAssembler assembler(5ms);
        const auto start = std::chrono::steady_clock::now();
        std::vector<ReceivedFrame> cut = assembler.feed(hex(stream), start);
        QVERIFY(!assembler.expire(start + 4ms));
        if (auto rest = assembler.expire(start + 5ms))
            cut.push_back(*rest);
        QCOMPARE(shown(cut), frames);
        QVERIFY(!assembler.idleDeadline());
    }

    // Serves at the options' address and pace, with their channels and log, behind the link
    // it removes when terminated; bad options are refused.
    void executableServesAsConfiguredUntilTerminated()
    {
        QTemporaryDir directory;
        const QString link = directory.filePath("controller");
        const QString record = directory.filePath("record");
        QProcess process;
        process.start(KT_SIM_EXECUTABLE, {"--link", link, "--address", "3", "--leak-a", "0.29", "--break-b",
                                          "--log-records", "40", "--pace", "9600", "--record", record});
        QVERIFY(process.waitForReadyRead(10'000));
        QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromLocal8Bit(process.readLine()).trimmed());

        qputenv("KT5270_COM1", link.toLocal8Bit());
        const auto port = kt::serial::openSerialPort(1, 9600).port;
        QVERIFY(port);
        port->write(hex("ee"));  // no request: recorded as such
        const auto exchange = [&](const char* request, std::size_t length) {
            port->write(hex(request));
            const auto sentAt = std::chrono::steady_clock::now();
            kt::serial::waitForBytes(*port, std::uint16_t(length), 2000);
            Bytes reply(length);
            reply.resize(port->read(reply));
            return std::pair{reply, std::chrono::steady_clock::now() - sentAt};
        };
        QCOMPARE(exchange("03 03 40 10 00 01 91 ed", 7).first, hex("03 03 02 00 28 c1 9a"));
        QCOMPARE(exchange("03 04 40 02 00 01 84 28", 7).first, hex("03 04 02 02 01 00 50"));
        QCOMPARE(exchange("03 04 40 03 00 01 d5 e8", 7).first, hex("03 04 02 00 1d 00 f9"));
        // 255 bytes at 9600 baud take about 266 ms on the wire.
        const auto [block, took] = exchange("03 03 50 00 00 7d 95 09", 255);
        QCOMPARE(block.size(), std::size_t{255});
        QVERIFY(took >= 200ms);
        qunsetenv("KT5270_COM1");

        process.terminate();
        QVERIFY(process.waitForFinished(10'000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QFile recorded(record);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QCOMPARE(recorded.readAll(), QByteArray("!ee\n03 03 40 10 00 01 91 ed\n03 04 40 02 00 01 84 28\n"
                                                "03 04 40 03 00 01 d5 e8\n03 03 50 00 00 7d 95 09\n"));

        for (const auto& bad : std::vector<std::vector<std::string_view>>{
                 {"--address", "256"}, {"--log-records"}, {"--leak-a", "x"}, {"--frobnicate"}}) {
            SimulatorOptions ignored;
            QVERIFY(!parseOptions(bad, ignored).error.empty());
        }
    }
};

QTEST_GUILESS_MAIN(SimulatorTest)
#include "test_sim.moc"
