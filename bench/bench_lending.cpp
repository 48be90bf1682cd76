// kt5270 serve --listen: the daemon polls 8 simulated stations at --period 0 while a client
// on its --listen port reads and writes station 1's cable length through the link, as
// kt5270 --port tcp://... does. Counts, on the simulator's side, every frame the daemon
// passed and whether any was garbled (first argument: exchanges, default 10000). Asserts nothing.
#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "device/cable_parameters.h"
#include "link/link.h"
#include "loopback_port.h"
#include "serial/crc16.h"
#include "sim/controller_simulator.h"

using namespace std::chrono_literals;
using kt::device::CableSetting;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int exchanges = argc > 1 ? std::stoi(argv[1]) : 10000;
    kt::sim::ControllerSimulator simulator;
    simulator.start();
    simulator.withDevice([](kt::sim::ControllerDevice& device) { device.setAddressFilter(kt::sim::AddressFilter::EveryAddress); });

    const int listenPort = freeLoopbackPort();
    QProcess daemon;
    daemon.setStandardErrorFile(QStringLiteral("/tmp/bench_lending-daemon.log"));
    daemon.start(QStringLiteral(KT5270_EXECUTABLE),
                 {"--port", QString::fromStdString(simulator.devicePath()), "--address", "1-8", "serve", "--period", "0",
                  "--metrics", QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort()), "--listen", QString::number(listenPort)});
    const std::string address = "tcp://127.0.0.1:" + std::to_string(listenPort);
    kt::serial::OpenResult opened = kt::serial::openSerialDevice(address, 9600);
    for (int attempt = 0; !opened.port && attempt < 100; ++attempt) {
        std::this_thread::sleep_for(50ms);
        opened = kt::serial::openSerialDevice(address, 9600);
    }
    if (!opened.port) {
        std::fprintf(stderr, "cannot reach the daemon at %s\n", address.c_str());
        return 1;
    }
    simulator.clearReceivedFrames();
    kt::link::Link link(*opened.port);
    // The window's and the tool's commands drain first; that is their own wait, not the bus's.
    const kt::link::Steps steps{.staleInput = kt::device::StaleInput::Discard};
    int failed = 0, late = 0;
    std::int32_t written = 0;
    // A reply the client gave up on arrives during its next exchange and spoils that one too.
    const auto count = [&](auto result, bool right) {
        failed += !right;
        late += !result && result.failure() == kt::link::Failure::ShortReply;
    };
    const auto start = std::chrono::steady_clock::now();
    for (int index = 0; index < exchanges; ++index) {
        if (index % 2 == 0) {
            written = index % 100000;
            const auto accepted = link.run(1, kt::device::cableWrite(CableSetting::LengthA, written), steps);
            count(accepted, accepted && *accepted);
        } else {
            const auto value = link.run(1, kt::device::cableRead(CableSetting::LengthA), steps);
            count(value, value && *value && **value == written);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    daemon.terminate();
    daemon.waitForFinished(5000);

    std::map<int, int> framesByStation;
    int clientFrames = 0, garbled = 0;
    for (const kt::sim::ReceivedFrame& frame : simulator.receivedFrameLog()) {
        garbled += !frame.wellFormed || !kt::serial::checksumMatches(frame.bytes);
        const bool fromClient = frame.bytes.size() > 3 && frame.bytes[2] == 0x60 && frame.bytes[3] == 0x01;
        clientFrames += fromClient;
        if (!fromClient && !frame.bytes.empty())
            ++framesByStation[frame.bytes[0]];
    }
    std::printf("row: a client's write or read through `serve --listen`, 8 stations polled at period 0 | %.1f ms | – | –\n",
                1000 * seconds / exchanges);
    std::printf("row: of %d such exchanges, failed (no reply in time) | %d (%d) | 0 | –\n", exchanges, failed, late);
    std::printf("row: client frames lost or garbled at the controller | %d | 0 | –\n",
                exchanges - clientFrames + garbled);
    std::fprintf(stderr, "daemon's frames per station meanwhile:");
    for (const auto& [station, count] : framesByStation)
        std::fprintf(stderr, " %d:%d", station, count);
    std::fprintf(stderr, "\n");
    return 0;
}
