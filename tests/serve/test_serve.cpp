// kt5270 serve against a simulated controller, a real mosquitto broker on a free loopback port
// and Prometheus's promtool: what the broker holds, what /metrics says, and the daemon's
// faults seen from outside.
#include <mosquitto.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopback_port.h"
#include "sim/controller_simulator.h"

using kt::sim::Channel;
using kt::sim::ChannelSetting;
using kt::sim::ControllerDevice;
using namespace std::chrono_literals;

namespace {

// A process that is ended, by SIGKILL if need be, when the test lets it go.
struct Child {
    QProcess process;
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

// Debian's mosquitto on 127.0.0.1, without persistence: a restart forgets what it held.
struct Broker {
    explicit Broker(const QString& directory) : port(freeLoopbackPort()), config(directory + "/mosquitto.conf")
    {
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n").arg(port).toUtf8());
        file.close();
        start();
    }
    void start()
    {
        broker.process.start(QStringLiteral("mosquitto"), {"-c", config});
        QVERIFY(broker.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(accepts(), 5000);
    }
    void stop()
    {
        broker.process.terminate();
        QVERIFY(broker.process.waitForFinished(5000));
    }
    bool accepts() const
    {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(socket);
        return connected;
    }

    int port;
    QString config;
    Child broker;
};

// Every message on the broker, subscribed to "#": what each topic holds, and how often it came.
class Listener {
public:
    explicit Listener(int port)
    {
        mosquitto_lib_init();
        client_ = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(client_, [](mosquitto*, void* self, const mosquitto_message* message) {
            auto& listener = *static_cast<Listener*>(self);
            listener.held_[message->topic] = std::string(static_cast<const char*>(message->payload), message->payloadlen);
            ++listener.count_[message->topic];
        });
        mosquitto_connect(client_, "127.0.0.1", port, 30);
        mosquitto_subscribe(client_, nullptr, "#", 1);
    }
    ~Listener() { mosquitto_destroy(client_); }

    // True once `topic` holds `payload`, false if `timeout` passes first.
    bool waitFor(const std::string& topic, const std::string& payload, std::chrono::milliseconds timeout = 5s)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (held(topic) != payload) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            mosquitto_loop(client_, 50, 1);
        }
        return true;
    }
    void listen(std::chrono::milliseconds duration)
    {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end)
            mosquitto_loop(client_, 50, 1);
    }
    std::string held(const std::string& topic) const
    {
        const auto found = held_.find(topic);
        return found == held_.end() ? "(none)" : found->second;
    }
    int count(const std::string& topic) const { return count_.contains(topic) ? count_.at(topic) : 0; }

private:
    mosquitto* client_;
    std::map<std::string, std::string> held_;
    std::map<std::string, int> count_;
};

// kt5270 serve on the simulator's symlink, as bus "sim".
struct Daemon {
    Daemon(const QString& port, const QStringList& options)
    {
        daemon.process.setProcessChannelMode(QProcess::SeparateChannels);
        daemon.process.start(QStringLiteral(KT5270_EXECUTABLE),
                             QStringList{"--port", port, "--bus", "sim", "serve", "--period", "100"} + options);
        QVERIFY(daemon.process.waitForStarted());
    }
    // Ends it with `signal`; its exit code, or -1 when it took longer than `limit` or was killed.
    int end(int signal, std::chrono::milliseconds limit)
    {
        ::kill(static_cast<pid_t>(daemon.process.processId()), signal);
        if (!daemon.process.waitForFinished(static_cast<int>(limit.count())))
            return -1;
        log = QString::fromUtf8(daemon.process.readAllStandardError());
        return daemon.process.exitStatus() == QProcess::NormalExit ? daemon.process.exitCode() : -1;
    }
    Child daemon;
    QString log;
};

// A raw TCP client of the daemon's --listen port.
struct Client {
    explicit Client(int port) : socket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const timeval limit{.tv_sec = 3, .tv_usec = 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~Client() { ::close(socket); }
    void send(const QByteArray& hex) const
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        QCOMPARE(::send(socket, bytes.data(), bytes.size(), 0), bytes.size());
    }
    // What arrives within 3 s (with MSG_DONTWAIT: what has arrived), as hex; "closed" when
    // the daemon closed the connection.
    QByteArray receive(int flags = 0) const
    {
        char buffer[512];
        const ssize_t count = ::recv(socket, buffer, sizeof buffer, flags);
        return count == 0 ? "closed" : QByteArray(buffer, count < 0 ? 0 : count).toHex().toUpper();
    }
    int socket;
    bool connected = false;
};

// GET /metrics from `port`, with curl's plain HTTP client.
QString scrape(int port)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), {"-sf", QStringLiteral("http://127.0.0.1:%1/metrics").arg(port)});
    curl.waitForFinished(5000);
    return QString::fromUtf8(curl.readAllStandardOutput());
}

double sample(const QString& metrics, const QString& series)
{
    const QRegularExpression line("^" + QRegularExpression::escape(series) + " (\\S+)$", QRegularExpression::MultilineOption);
    const auto match = line.match(metrics);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

}  // namespace

class ServeTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(directory_.isValid());
        link_ = directory_.path() + "/kt5270-sim";
        QVERIFY(simulator_.start(link_.toStdString()));
        simulator_.clearReceivedFrames();
        simulator_.withDevice([](ControllerDevice& device) {
            device.setStatusCodes(1, 0);
            device.setChannelValue(ChannelSetting::LeakDistance, Channel::B, 1234);
        });
    }
    void cleanup() { simulator_.stop(); }

    // Station 1 answers with B in leak, station 2 is silent; then B dries up and station 2
    // comes on line. Every topic, discovery, the metrics; and a stop in the middle of a round.
    void publishesTheBus()
    {
        Broker broker(directory_.path());
        Listener listener(broker.port);
        const int metricsPort = freeLoopbackPort();
        Daemon daemon(link_, {"--address", "1,2", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port),
                              "--metrics", QStringLiteral("127.0.0.1:%1").arg(metricsPort)});

        QVERIFY(listener.waitFor("kt5270/sim/status", "online"));
        // Station 2 goes offline three rounds after station 1 has told everything.
        QVERIFY(listener.waitFor("kt5270/sim/2/availability", "offline"));
        QCOMPARE(listener.held("kt5270/sim/1/availability"), "online");
        QCOMPARE(listener.held("kt5270/sim/1/A/state"), "normal");
        QCOMPARE(listener.held("kt5270/sim/1/A/distance"), "");
        QCOMPARE(listener.held("kt5270/sim/1/B/state"), "leak");
        QCOMPARE(listener.held("kt5270/sim/1/B/distance"), "12.34");
        const QString line = QString::fromStdString(listener.held("kt5270/sim/1/json"));
        const QRegularExpression statusLine(QRegularExpression::anchoredPattern(
            R"(\{"station":1,"time":"[-0-9T:+]{25}","channels":\{"A":\{"state":"正常","leakDistance":null\},)"
            R"("B":\{"state":"泄露","leakDistance":12.34\}\}\})"));
        QVERIFY2(statusLine.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(listener.held("kt5270/sim/2/A/state"), "(none)");

        const auto config = nlohmann::json::parse(listener.held("homeassistant/binary_sensor/kt5270_sim_1/B_leak/config"));
        QCOMPARE(config["device_class"].dump(), R"("moisture")");
        QCOMPARE(config["state_topic"].dump(), R"("kt5270/sim/1/B/state")");
        QCOMPARE(config["availability_mode"].dump(), R"("all")");
        QCOMPARE(config["availability"].dump(), R"([{"topic":"kt5270/sim/status"},{"topic":"kt5270/sim/1/availability"}])");
        QCOMPARE(config["device"]["name"].dump(), R"("KT_5270 sim/1")");
        for (const char* object : {"sensor/kt5270_sim_1/A_distance", "binary_sensor/kt5270_sim_1/A_broken",
                                   "binary_sensor/kt5270_sim_2/connectivity"})
            QVERIFY2(listener.held(std::string("homeassistant/") + object + "/config") != "(none)", object);

        // Nothing changes, so nothing is sent, the status line's time stamp included.
        const int jsonMessages = listener.count("kt5270/sim/1/json");
        listener.listen(600ms);
        QCOMPARE(listener.count("kt5270/sim/1/json"), jsonMessages);

        const QString metrics = scrape(metricsPort);
        QProcess promtool;
        promtool.start(QStringLiteral("promtool"), {"check", "metrics"});
        promtool.write(metrics.toUtf8());
        promtool.closeWriteChannel();
        QVERIFY(promtool.waitForFinished(10000));
        QVERIFY2(promtool.exitCode() == 0, promtool.readAllStandardError().constData());
        QCOMPARE(sample(metrics, R"(kt5270_station_up{bus="sim",station="1"})"), 1.0);
        QCOMPARE(sample(metrics, R"(kt5270_station_up{bus="sim",station="2"})"), 0.0);
        QCOMPARE(sample(metrics, R"(kt5270_leak_distance_meters{bus="sim",channel="B",station="1"})"), 12.34);
        QVERIFY(metrics.contains(R"(kt5270_leak_distance_meters{bus="sim",channel="A",station="1"} Nan)"));
        QVERIFY(sample(metrics, R"(kt5270_polls_total{bus="sim",result="no_reply",station="2"})") >= 3);
        QCOMPARE(sample(metrics, R"(kt5270_mqtt_connected{bus="sim"})"), 1.0);
        // A silent station costs one reply wait (300 ms) a round, never more.
        const double round = sample(metrics, R"(kt5270_round_duration_seconds{bus="sim"})");
        QVERIFY2(round > 0.3 && round < 0.6, qPrintable(QString::number(round)));

        simulator_.withDevice([](ControllerDevice& device) {
            device.setStatusCodes(0, 0);
            device.setAddressFilter(kt::sim::AddressFilter::EveryAddress);
        });
        QVERIFY(listener.waitFor("kt5270/sim/1/B/state", "normal"));
        QCOMPARE(listener.held("kt5270/sim/1/B/distance"), "");
        QVERIFY(listener.waitFor("kt5270/sim/2/availability", "online"));

        QCOMPARE(daemon.end(SIGTERM, 2s), 0);
        QVERIFY(listener.waitFor("kt5270/sim/status", "offline"));
        QVERIFY2(daemon.log.contains("station 1 channel B: leak at 12.34 m"), qPrintable(daemon.log));
        QVERIFY(daemon.log.contains(QRegularExpression("^<4>\\S+ station 2 offline: 3 polls in a row failed$",
                                                       QRegularExpression::MultilineOption)));
    }

    // The adapter pulled and plugged in again, the broker restarted, and a daemon killed: the
    // daemon goes on polling throughout and the broker ends with the whole picture.
    void outlivesItsFaults()
    {
        Broker broker(directory_.path());
        Listener listener(broker.port);
        const int metricsPort = freeLoopbackPort();
        Daemon daemon(link_, {"--address", "1", "--discovery-prefix", "", "--mqtt",
                              QStringLiteral("127.0.0.1:%1").arg(broker.port), "--metrics",
                              QStringLiteral("127.0.0.1:%1").arg(metricsPort)});
        QVERIFY(listener.waitFor("kt5270/sim/1/availability", "online"));

        simulator_.stop();
        QVERIFY(listener.waitFor("kt5270/sim/1/availability", "offline", 2s));
        QVERIFY(simulator_.start(link_.toStdString()));
        QVERIFY(listener.waitFor("kt5270/sim/1/availability", "online", 8s));

        const QString polled = R"(kt5270_polls_total{bus="sim",result="ok",station="1"})";
        broker.stop();
        const double pollsBefore = sample(scrape(metricsPort), polled);
        QTRY_COMPARE_WITH_TIMEOUT(sample(scrape(metricsPort), R"(kt5270_mqtt_connected{bus="sim"})"), 0.0, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(sample(scrape(metricsPort), polled) > pollsBefore + 5, 5000);
        broker.start();
        Listener afterRestart(broker.port);
        QVERIFY(afterRestart.waitFor("kt5270/sim/1/B/distance", "12.34", 12s));
        QCOMPARE(afterRestart.held("kt5270/sim/status"), "online");

        daemon.end(SIGKILL, 2s);
        QVERIFY(afterRestart.waitFor("kt5270/sim/status", "offline"));
        const QString gone = QStringLiteral(" is gone: ");
        QCOMPARE(daemon.log.count(gone), 1);
    }

    // The bus lent between polls: the tool through tcp://, raw clients first come first served,
    // a garbled request, one whose client's wait ran out and one its client replaced that never
    // reach the controller, a relay cut to what is left of its client's wait, and the fifth
    // client.
    void lendsTheBus()
    {
        const int listenPort = freeLoopbackPort();
        Daemon daemon(link_, {"--address", "1", "--period", "0", "--metrics",
                              QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()), "--listen", QString::number(listenPort)});
        QTRY_VERIFY_WITH_TIMEOUT(Client(listenPort).connected, 5000);

        QProcess tool;
        const QString port = QStringLiteral("tcp://127.0.0.1:%1").arg(listenPort);
        tool.start(QStringLiteral(KT5270_EXECUTABLE), {"--port", port, "get", "length", "b"});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.readAllStandardOutput(), "100.00\n");
        tool.start(QStringLiteral(KT5270_EXECUTABLE), {"--port", port, "set", "length", "a", "123.5"});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), "写入成功!\n");

        Client first(listenPort), second(listenPort), third(listenPort), fourth(listenPort);
        QVERIFY(fourth.connected);
        QCOMPARE(Client(listenPort).receive(), "closed");  // the fifth
        // A slow controller keeps the bus busy while both requests arrive, the second client's
        // first.
        const QByteArray lengthA = "0103600100028BCB", logCount = "010340100001900F";
        const QByteArray garbled = "010360040001DBCC", clockRead = "0103601000045BCC";
        // Where the controller heard the request `hex`, first from its `from`th frame on; -1: not.
        const auto heardAt = [this](const QByteArray& hex, qsizetype from = 0) -> qsizetype {
            const QByteArray bytes = QByteArray::fromHex(hex);
            const auto frames = simulator_.receivedFrames();
            const auto found = std::find(frames.begin() + std::min<qsizetype>(from, qsizetype(frames.size())), frames.end(),
                                         kt::sim::Bytes(bytes.begin(), bytes.end()));
            return found == frames.end() ? -1 : found - frames.begin();
        };
        simulator_.setReplyDelay(60ms);
        simulator_.clearReceivedFrames();
        second.send(logCount.left(6));
        QTest::qWait(20);
        second.send(logCount.mid(6));
        first.send(lengthA);
        QCOMPARE(first.receive(), "0103040000303E6FE3");
        QVERIFY(second.receive().startsWith("010302"));
        const qsizetype logCountAt = heardAt(logCount);
        QVERIFY(logCountAt >= 0 && logCountAt < heardAt(lengthA));
        simulator_.setReplyDelay(0ms);

        // A wrong checksum, then a function this controller lacks: neither reaches the bus.
        third.send(garbled);
        third.send("0105600100010000");
        QTest::qWait(700);  // the daemon has read them: a request that follows is whole again
        third.send(lengthA);
        QCOMPARE(third.receive(), "0103040000303E6FE3");
        // The daemon held up (as a loaded machine may) past a client's 500 ms: its clock read
        // is thrown away unsent; another's length read, which came later, is served.
        const auto daemonId = static_cast<pid_t>(daemon.daemon.process.processId());
        ::kill(daemonId, SIGSTOP);
        third.send(clockRead);
        QTest::qWait(600);
        fourth.send(lengthA);
        ::kill(daemonId, SIGCONT);
        QCOMPARE(fourth.receive(), "0103040000303E6FE3");
        // Held up for less than that, the bus gets only what is left of the client's wait: a
        // reply that comes after the client has given up is not passed on to it.
        simulator_.addFault({kt::sim::Fault::delayed(250ms), 1, kt::sim::Function::ReadHolding, 0x6001});
        ::kill(daemonId, SIGSTOP);
        fourth.send(lengthA);
        QTest::qWait(350);
        ::kill(daemonId, SIGCONT);
        QTest::qWait(600);
        QCOMPARE(fourth.receive(MSG_DONTWAIT), "");
        // A client that sends its next request before its turn has given up on the one before:
        // only the later one reaches the bus.
        ::kill(daemonId, SIGSTOP);
        const qsizetype heardBefore = qsizetype(simulator_.receivedFrames().size());
        fourth.send(logCount);
        fourth.send(lengthA);
        ::kill(daemonId, SIGCONT);
        QCOMPARE(fourth.receive(), "0103040000303E6FE3");
        QCOMPARE(heardAt(logCount, heardBefore), -1);
        QCOMPARE(heardAt(garbled), -1);
        QCOMPARE(heardAt(clockRead), -1);
        for (const auto& frame : simulator_.receivedFrames())
            QVERIFY(frame.at(1) != 0x05);

        // Its exit takes up to 2 s under the address sanitizer's leak check on a loaded machine.
        QCOMPARE(daemon.end(SIGTERM, 5s), 0);
        for (const char* fault : {"refused client 127.0.0.1:", "its checksum fails", "no request of this controller begins so",
                                  "its client's whole reply wait", "it sent the next one before its turn"})
            QVERIFY2(daemon.log.contains(fault), qPrintable(daemon.log));
    }

    // Refused before the port is even opened: nothing reaches the controller.
    void refusesBadConfiguration_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("no output") << QStringList{} << "kt5270: serve needs --mqtt HOST[:PORT], --metrics HOST:PORT or both";
        QTest::newRow("malformed --mqtt") << QStringList{"--mqtt", "127.0.0.1:http"} << "kt5270: --mqtt takes HOST[:PORT], such as 127.0.0.1:1883";
        QTest::newRow("--mqtt port not a number to its end") << QStringList{"--mqtt", "127.0.0.1:1883x"}
                                                             << "kt5270: --mqtt takes HOST[:PORT], such as 127.0.0.1:1883";
        QTest::newRow("--metrics without a port") << QStringList{"--metrics", "127.0.0.1"} << "kt5270: --metrics takes HOST:PORT, such as 127.0.0.1:9101";
        QTest::newRow("unreadable password file")
            << QStringList{"--mqtt", "127.0.0.1", "--mqtt-user", "kt", "--mqtt-password-file", "/nonexistent/password"}
            << "kt5270: cannot read --mqtt-password-file /nonexistent/password: No such file or directory";
        QTest::newRow("--metrics port in use") << QStringList{"--metrics", "127.0.0.1:{busy}"}
                                               << "kt5270: --metrics cannot listen on 127.0.0.1:{busy} (in use, or not an address of this machine)";
    }
    void refusesBadConfiguration()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const int busy = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(busy, 1);
        socklen_t length = sizeof address;
        ::getsockname(busy, reinterpret_cast<sockaddr*>(&address), &length);
        const QString busyPort = QString::number(ntohs(address.sin_port));
        options.replaceInStrings("{busy}", busyPort);
        message.replace("{busy}", busyPort);

        QProcess tool;
        tool.start(QStringLiteral(KT5270_EXECUTABLE), QStringList{"--port", link_, "serve"} + options);
        QVERIFY(tool.waitForFinished(10000));
        ::close(busy);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardError()).trimmed(), message);
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY(simulator_.receivedFrames().empty());
    }

private:
    QTemporaryDir directory_;
    QString link_;
    kt::sim::ControllerSimulator simulator_;
};

QTEST_GUILESS_MAIN(ServeTest)
#include "test_serve.moc"
