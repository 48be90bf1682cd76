// kt5270 against a simulated controller on COM1: each invocation's standard output, standard
// error, exit code and the requests the controller received.
#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>

#include "device/log_record.h"
#include "device/log_row.h"
#include "device_server.h"
#include "serial/crc16.h"
#include "serial/serial_port.h"
#include "sim/controller_simulator.h"
#include "ui/export_file.h"

using kt::sim::Bytes;
using kt::sim::Channel;
using kt::sim::ChannelSetting;
using kt::sim::ControllerSimulator;
using Frames = std::vector<Bytes>;
using Setup = std::function<void(ControllerSimulator&)>;

Q_DECLARE_METATYPE(Frames)
Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(std::uint8_t)

namespace {

Bytes framed(Bytes bytes)
{
    const std::uint16_t crc = kt::serial::crc16Modbus(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

Bytes statusRequest(std::uint8_t station)
{
    return framed({station, 0x04, 0x40, 0x02, 0x00, 0x01});
}

const Bytes kDistanceBRequest = framed({0x01, 0x04, 0x40, 0x04, 0x00, 0x01});
const Bytes kCountRequest = framed({0x01, 0x03, 0x40, 0x10, 0x00, 0x01});
const Bytes kThreeRecordsRequest = framed({0x01, 0x03, 0x50, 0x00, 0x00, 0x0F});
const QString kOpenFailure = QStringLiteral("打开串口失败,没有发现此串口或此串口被占用!!!");
const QString kLineSpeeds = QStringLiteral("2400, 4800, 9600, 19200 or 38400");
const QString kTraceTime = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\t");

// Station 1: channel A normal, channel B in leak at 12.34 m; three leaks in its log.
struct SimulatedController {
    SimulatedController()
    {
        QVERIFY(simulator.start());
        qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));
        simulator.withDevice([](kt::sim::ControllerDevice& device) {
            device.setStatusCodes(1, 0);
            device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, 1234);
            device.log().setRecords({kt::sim::makeLogRecord({.year = 2024, .month = 1, .day = 2, .hour = 3, .minute = 4}, 1, 0, 100),
                                     kt::sim::makeLogRecord({.year = 2025, .month = 11, .day = 30, .hour = 23, .minute = 59}, 0, 2, 0xFFFF),
                                     kt::sim::makeLogRecord({.year = 2026, .month = 6, .day = 6}, 0, 1, 6553)});
        });
    }
    ~SimulatedController()
    {
        qunsetenv("KT5270_COM1");
        qunsetenv("KT5270_BAUD");  // set by a test of the environment's refusal
    }

    ControllerSimulator simulator;
};

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(KT5270_EXECUTABLE), arguments);
    if (!tool.waitForFinished(60'000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}

}  // namespace

class CliTest : public QObject {
    Q_OBJECT

private slots:
    // `out` is a pattern for the whole of standard output; `err` a pattern for the start of
    // standard error, with {device} for the simulator's device. In both and in the arguments,
    // {server} is the device server a row's setup started in front of the simulator, {silent} a
    // listener that never accepts, {free} a loopback port nothing listens on.
    void invocation_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<Frames>("frames");
        const Setup none = [](ControllerSimulator&) {};
        const auto refuse = [](ControllerSimulator& simulator) {
            simulator.withDevice([](kt::sim::ControllerDevice& device) { device.refuseWrites(1); });
        };
        const QString stamp = QStringLiteral("\"time\":\"[-0-9T:+]{25}\"");
        const QString leakB = QStringLiteral("1 正常 - 泄露 12.34\n");
        const QString logCsv = QStringLiteral("number,time,channel,type,leak_point\n0,2024-1-2 3:4,B,泄露,1.00\n"
                                              "1,2025-11-30 23:59,A,断线,\n2,2026-6-6 0:0,A,泄露,65.53\n");
        const Setup server = [this](ControllerSimulator& simulator) { server_.emplace(simulator.devicePath()); };

        QTest::newRow("status") << QStringList{"status"} << none << leakB << "" << 0
                                << Frames{statusRequest(1), kDistanceBRequest};
        QTest::newRow("a silent station is reported, and fails the run")
            << QStringList{"--address", "1,3", "status"} << none << leakB + "3 读数据错误\n" << "" << 1
            << Frames{statusRequest(1), kDistanceBRequest, statusRequest(3)};
        QTest::newRow("json, in list order")
            << QStringList{"status", "--json", "--address", "3,1"} << none
            << "\\{\"station\":3," + stamp + ",\"error\":\\{\"kind\":\"short-reply\",\"message\":\"读数据错误\"\\}\\}\n"
               "\\{\"station\":1," + stamp + ",\"channels\":\\{\"A\":\\{\"state\":\"正常\",\"leakDistance\":null\\},"
               "\"B\":\\{\"state\":\"泄露\",\"leakDistance\":12.34\\}\\}\\}\n"
            << "" << 1 << Frames{statusRequest(3), statusRequest(1), kDistanceBRequest};
        QTest::newRow("watch: silence is counted, not fatal")
            << QStringList{"--address", "2-3", "status", "--watch", "--period", "0", "--count", "2"} << none
            << "2 读数据错误\n3 读数据错误\n2 读数据错误\n3 读数据错误\n" << "2 rounds: 0 answered, 4 did not answer" << 0
            << Frames{statusRequest(2), statusRequest(3), statusRequest(2), statusRequest(3)};
        QTest::newRow("get") << QStringList{"get", "resistivity", "b"} << none << "400\n" << "" << 0
                             << Frames{framed({0x01, 0x03, 0x60, 0x06, 0x00, 0x01})};
        QTest::newRow("bad checksum") << QStringList{"get", "length", "a"}
                                      << Setup([](ControllerSimulator& simulator) { simulator.addFault(kt::sim::Fault::badChecksum()); })
                                      << "" << "校验出错!!!" << 1 << Frames{framed({0x01, 0x03, 0x60, 0x01, 0x00, 0x02})};
        const Bytes lengthWrite = framed({0x01, 0x06, 0x60, 0x01, 0x00, 0x02, 0x00, 0x00, 0x30, 0x3E});
        QTest::newRow("set") << QStringList{"set", "length", "a", "123.5"} << none << "写入成功!\n" << "" << 0 << Frames{lengthWrite};
        QTest::newRow("set refused") << QStringList{"set", "length", "a", "123.5"} << Setup(refuse) << "" << "写入失败!" << 4 << Frames{lengthWrite};
        QTest::newRow("set out of range sends nothing") << QStringList{"set", "calibration", "a", "65536"} << none
                                                        << "" << "kt5270: 数值范围是0~65535，请重新输入!!!" << 2 << Frames{};
        QTest::newRow("set a typo sends nothing") << QStringList{"set", "length", "b", "12,5"} << none << "" << "kt5270: not a number" << 2 << Frames{};
        QTest::newRow("a lone dash is a value, not an option") << QStringList{"set", "length", "b", "-"} << none << "" << "kt5270: not a number" << 2 << Frames{};
        QTest::newRow("clock") << QStringList{"clock"}
                               << Setup([](ControllerSimulator& simulator) {
                                      simulator.withDevice([](kt::sim::ControllerDevice& device) { device.clock().set({2031, 2, 3, 4, 5, 6}); });
                                  })
                               << "2031-02-03 04:05:0[6-9]\n" << "" << 0 << Frames{framed({0x01, 0x03, 0x60, 0x10, 0x00, 0x04})};
        QTest::newRow("clock set") << QStringList{"clock", "--set", "2026-12-07 09:30:05"} << none << "设置时间成功!!!\n" << "" << 0
                                   << Frames{framed({0x01, 0x10, 0x60, 0x10, 0x00, 0x04, 0x20, 0x26, 0x12, 0x07, 0x09, 0x30, 0x00, 0x05})};
        QTest::newRow("clock year out of range") << QStringList{"clock", "--set", "2009-12-07 09:30:05"} << none
                                                 << "" << "kt5270: 输入年份错误，请重新输入!!!" << 2 << Frames{};
        QTest::newRow("log count") << QStringList{"log", "count"} << none << "3\n" << "" << 0 << Frames{kCountRequest};
        QTest::newRow("log clear refused") << QStringList{"log", "clear"} << Setup(refuse) << "" << "清除日志失败!!!" << 4
                                           << Frames{framed({0x01, 0x06, 0x40, 0x10, 0x00, 0x01})};
        QTest::newRow("log csv") << QStringList{"log", "download", "--format", "csv"} << none
                                 << logCsv << "" << 0 << Frames{kCountRequest, kThreeRecordsRequest};
        QTest::newRow("log to a file that cannot be made sends nothing")
            << QStringList{"log", "download", "--output", "/nonexistent/KT_5270.txt"} << none << ""
            << "kt5270: 保存日志失败!!! /nonexistent/KT_5270.txt" << 2 << Frames{};
        QTest::newRow("log json") << QStringList{"--json", "log", "download", "--format", "json"} << none
                                  << "\\[\\{\"number\":0,\"time\":\"2024-1-2 3:4\",\"channel\":\"B\",\"type\":\"泄露\",\"leak_point\":1.0\\},"
                                     "\\{\"number\":1,.*\"leak_point\":null\\},\\{\"number\":2,.*\"leak_point\":65.53\\}\\]\n"
                                  << "" << 0 << Frames{kCountRequest, kThreeRecordsRequest};
        Frames probes;
        for (std::uint8_t station = 0; station <= 4; ++station)
            probes.push_back(framed({station, 0x03, 0x40, 0x10, 0x00, 0x01}));
        QTest::newRow("search") << QStringList{"search"}
                                << Setup([](ControllerSimulator& simulator) {
                                       simulator.withDevice([](kt::sim::ControllerDevice& device) { device.setAddress(4); });
                                   })
                                << "4\n" << "" << 0 << probes;
        QTest::newRow("set-baud") << QStringList{"set-baud", "4800"} << none << "设置波特率成功!!!\n" << "" << 0
                                  << Frames{framed({0x01, 0x06, 0x80, 0x00, 0x00, 0x01, 0x12, 0xC0})};
        QTest::newRow("set-baud refuses a speed the console cannot talk at")
            << QStringList{"set-baud", "57600"} << none << "" << "kt5270: set-baud takes " + kLineSpeeds + "\n" << 2 << Frames{};
        QTest::newRow("set-baud refuses 0") << QStringList{"set-baud", "0"} << none << "" << "kt5270: set-baud takes " << 2 << Frames{};
        QTest::newRow("a bad --baud") << QStringList{"--baud", "1200", "status"} << none << ""
                                      << "kt5270: --baud takes " + kLineSpeeds + "\n" << 2 << Frames{};
        QTest::newRow("a bad environment value")
            << QStringList{"status"} << Setup([](ControllerSimulator&) { qputenv("KT5270_BAUD", "fast"); }) << ""
            << "kt5270: KT5270_BAUD: --baud takes " << 2 << Frames{};
        QTest::newRow("--trace: the communication log's rows")
            << QStringList{"--trace", "log", "count"} << none << "3\n"
            << kTraceTime + "命令\t发送\t01 03 40 10 00 01 90 0F\t\t\n" + kTraceTime + "命令\t接收\t01 03 02 00 03 F8 45\t正确\t\\d+\n$"
            << 0 << Frames{kCountRequest};
        QTest::newRow("set-address") << QStringList{"set-address", "7"} << none << "设置地址成功!!!\n" << "" << 0
                                     << Frames{framed({0x01, 0x06, 0x80, 0x01, 0x00, 0x01, 0x00, 0x07})};
        QTest::newRow("address out of range") << QStringList{"--address", "1,256", "status"} << none
                                              << "" << "kt5270: 地址范围是0~255，请重新输入!!!" << 2 << Frames{};
        const Frames zeroB{framed({0x01, 0x04, 0x40, 0x09, 0x00, 0x01})};
        QTest::newRow("zero") << QStringList{"zero", "b"} << none << "校准成功!\n" << "" << 0 << zeroB;
        QTest::newRow("zero refused")
            << QStringList{"zero", "b"}
            << Setup([](ControllerSimulator& simulator) {
                   simulator.withDevice([](kt::sim::ControllerDevice& device) { device.setChannelValue(ChannelSetting::ZeroCalibrationResult, Channel::B, 1); });
               })
            << "" << "校准失败!\n" << 4 << zeroB;
        QTest::newRow("zero answered by another station")
            << QStringList{"zero", "b"} << Setup([](ControllerSimulator& simulator) { simulator.addFault(kt::sim::Fault::fromStation(7)); })
            << "" << "another station answered\n" << 1 << zeroB;
        QTest::newRow("ports: COM1 is the simulator, nothing is sent")
            << QStringList{"ports"} << none << "COM1 /dev/pts/\\d+\n(COM\\d+ /\\S+\n)*" << "" << 0 << Frames{};
        QTest::newRow("version") << QStringList{"--version"} << none << "kt5270 \\d+(\\.\\d+)+\n" << "" << 0 << Frames{};
        QTest::newRow("unknown command") << QStringList{"reset"} << none << "" << "kt5270: unknown command" << 2 << Frames{};
        QTest::newRow("an argument to a command that takes none sends nothing")
            << QStringList{"status", "a"} << none << "" << "kt5270: status takes no arguments" << 2 << Frames{};
        QTest::newRow("no such port") << QStringList{"--port", "/dev/kt5270-absent", "status"} << none << ""
                                      << kOpenFailure + " /dev/kt5270-absent 对应的设备 /dev/kt5270-absent 不存在。" << 3 << Frames{};
        QTest::newRow("status through a device server") << QStringList{"--port", "{server}", "status"} << server << leakB
                                                        << "" << 0 << Frames{statusRequest(1), kDistanceBRequest};
        QTest::newRow("log through a device server") << QStringList{"--port", "{server}", "log", "download", "--format", "csv"}
                                                     << server << logCsv << "" << 0 << Frames{kCountRequest, kThreeRecordsRequest};
        QTest::newRow("device server address without a port") << QStringList{"--port", "tcp://192.168.1.200", "status"} << none
            << "" << "kt5270: --port takes a device server as tcp://HOST:PORT" << 2 << Frames{};
        QTest::newRow("nothing listens at the device server's port") << QStringList{"--port", "{free}", "status"} << none << ""
            << kOpenFailure + " {free} 拒绝连接：该端口上没有服务在监听，可能端口号有误或串口服务器未开机；"
                              "只接受一个客户端的串口服务器在已有连接时也会拒绝。" << 3 << Frames{};
        QTest::newRow("the device server has its one client")
            << QStringList{"--port", "{server}", "status"}
            << Setup([this, server](ControllerSimulator& simulator) {
                   server(simulator);
                   heldPort_ = kt::serial::openSerialDevice(server_->address(), 9600).port;
               })
            << "" << kOpenFailure + " {server} 接受连接后随即断开：串口服务器大多只接受一个客户端，可能已有其他程序连接着它。"
            << 3 << Frames{};
        QTest::newRow("the device server never answers")
            << QStringList{"--port", "{silent}", "status"} << Setup([this](ControllerSimulator&) { silent_.emplace(); }) << ""
            << kOpenFailure + " {silent} 在 3 秒内没有应答：可能地址有误，或连接被防火墙阻挡。" << 3 << Frames{};
        QTest::newRow("the window holds the port")
            << QStringList{"status"} << Setup([this](ControllerSimulator&) { heldPort_ = kt::serial::openSerialPort(1, 9600).port; })
            << "" << kOpenFailure + " {device} 正被 test_cli（进程号 " + QString::number(QCoreApplication::applicationPid()) + "）占用。"
            << 3 << Frames{};
    }
    void invocation()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Setup, setup);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, exitCode);
        QFETCH(Frames, frames);
        SimulatedController controller;
        setup(controller.simulator);
        const QList<std::pair<QString, std::string>> addresses{
            {"{server}", server_ ? server_->address() : ""},
            {"{silent}", silent_ ? silent_->address() : ""},
            {"{free}", kt::serial::test::loopbackAddress(kt::serial::test::freeLoopbackPort())}};
        for (const auto& [placeholder, address] : addresses) {
            arguments.replaceInStrings(placeholder, QString::fromStdString(address));
            err.replace(placeholder, QString::fromStdString(address));
        }
        const Run run = runTool(arguments);
        heldPort_.reset();
        server_.reset();
        silent_.reset();

        const QString output = QString::fromUtf8(run.out);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(output).hasMatch(), qPrintable(output));
        err.replace(QStringLiteral("{device}"), QRegularExpression::escape(QString::fromStdString(controller.simulator.devicePath())));
        const QString errors = QString::fromUtf8(run.err);
        QVERIFY2(QRegularExpression("\\A(?:" + err + ")").match(errors).hasMatch(), qPrintable(errors));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(controller.simulator.receivedFrames(), frames);
        if (arguments.contains(QStringLiteral("--json"))) {
            for (const QByteArray& line : run.out.split('\n')) {
                QJsonParseError error{};
                QJsonDocument::fromJson(line, &error);
                QVERIFY2(line.isEmpty() || error.error == QJsonParseError::NoError, line.constData());
            }
        }
    }

    // The text format is the window's export file, byte for byte.
    void textExportIsTheWindows()
    {
        SimulatedController controller;
        QTemporaryDir directory;
        const QString tool = directory.filePath(QStringLiteral("tool.txt"));
        const QString window = directory.filePath(QStringLiteral("window.txt"));
        QCOMPARE(runTool({"log", "download", "--output", tool}).exitCode, 0);
        const auto records = controller.simulator.withDevice([](kt::sim::ControllerDevice& device) { return device.log().records(); });
        for (std::size_t k = 0; k < records.size(); ++k)
            QVERIFY(kt::ui::appendExportLine(window, kt::device::logRow(int(k), kt::device::decodeLogRecord(records[k]))));
        QFile toolFile(tool), windowFile(window);
        QVERIFY(toolFile.open(QIODevice::ReadOnly) && windowFile.open(QIODevice::ReadOnly));
        QCOMPARE(toolFile.readAll(), windowFile.readAll());
    }

    // A failed download leaves an old file as it was, and no new file or anything beside it; a
    // good one replaces it.
    void outputReplacedOnlyWhole()
    {
        SimulatedController controller;
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("site.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\n") == 4);
        old.close();
        const QStringList download{"log", "download", "--format", "csv", "--output", path};
        const auto contents = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const auto entries = [&] { return QDir(directory.path()).entryList(QDir::Files | QDir::Hidden); };

        for (const QString& target : {path, directory.filePath(QStringLiteral("new.csv"))}) {
            controller.simulator.addFault(kt::sim::Fault::noReply());  // the count read
            QCOMPARE(runTool({"log", "download", "--output", target}).exitCode, 1);
        }
        QCOMPARE(contents(), QByteArray("old\n"));
        QCOMPARE(entries(), QStringList{"site.csv"});

        QCOMPARE(runTool(download).exitCode, 0);
        QVERIFY(contents().startsWith("number,time,channel,type,leak_point\n0,2024-1-2 3:4,B,"));
        QCOMPARE(entries(), QStringList{"site.csv"});
    }

    // Ctrl+C ends a long command cleanly, even in the watch's pause: no further round or
    // probe, and the port is free again at once.
    void interrupted_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<std::uint8_t>("station");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("mostFrames");
        QTest::newRow("watch, in its pause") << QStringList{"status", "--watch", "--period", "5000"} << std::uint8_t(1)
                                             << QByteArray("1 rounds: 1 answered, 0 did not answer\n") << 0 << 2;
        // Each unanswered probe takes 140 ms: far fewer than 256 before the signal.
        QTest::newRow("search") << QStringList{"search"} << std::uint8_t(255) << QByteArray("search stopped\n") << 1 << 100;
    }
    void interrupted()
    {
        QFETCH(QStringList, arguments);
        QFETCH(std::uint8_t, station);
        QFETCH(QByteArray, err);
        QFETCH(int, exitCode);
        QFETCH(int, mostFrames);
        SimulatedController controller;
        controller.simulator.withDevice([station](kt::sim::ControllerDevice& device) { device.setAddress(station); });
        QProcess tool;
        tool.start(QStringLiteral(KT5270_EXECUTABLE), arguments);
        QTRY_VERIFY_WITH_TIMEOUT(!controller.simulator.receivedFrames().empty(), 10'000);
        QTest::qWait(300);  // into the watch's pause, or a few probes on
        ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
        QVERIFY(tool.waitForFinished(10'000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), exitCode);
        QCOMPARE(tool.readAllStandardError(), err);
        const std::size_t frames = controller.simulator.receivedFrames().size();
        QVERIFY2(frames >= 1 && frames <= std::size_t(mostFrames), qPrintable(QString::number(frames)));
        QVERIFY(kt::serial::openSerialPort(1, 9600).port != nullptr);
    }

private:
    std::unique_ptr<kt::serial::SerialPort> heldPort_;
    std::optional<kt::serial::test::DeviceServer> server_;
    std::optional<kt::serial::test::UnansweringListener> silent_;
};

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
