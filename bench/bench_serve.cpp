// kt5270 serve over 32 simulated stations, with a real mosquitto broker on a free loopback
// port: a round on a line paced at 9600 baud against the wire's floor; then at --period 1000,
// how long a leak takes from the controller to its retained message, and the daemon's CPU and
// resident memory over the run (first argument: seconds, default 600).
#include <mosquitto.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_port.h"
#include "sim/controller_simulator.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kStations = 32;
constexpr auto kPeriod = 1000ms;


pid_t spawn(std::vector<std::string> arguments, const char* errors = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    return child;
}

void end(pid_t child)
{
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
}

// User and system CPU time of `pid` so far, in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14 || index == 15)
            ticks += std::stol(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double statusMiB(pid_t pid, const std::string& key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key + ":"))
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    }
    return 0;
}

// The time each message on `topic` arrived, with its payload.
struct Watcher {
    explicit Watcher(int port, const std::string& topic)
    {
        mosquitto_lib_init();
        client = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(client, [](mosquitto*, void* self, const mosquitto_message* message) {
            static_cast<Watcher*>(self)->last = std::string(static_cast<const char*>(message->payload), message->payloadlen);
        });
        while (mosquitto_connect(client, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS)
            std::this_thread::sleep_for(50ms);
        mosquitto_subscribe(client, nullptr, topic.c_str(), 1);
    }
    // The time `payload` arrived, or none within `limit`.
    std::optional<Clock::time_point> waitFor(const std::string& payload, std::chrono::seconds limit)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            mosquitto_loop(client, 5, 1);
            if (last == payload)
                return Clock::now();
        }
        return std::nullopt;
    }
    mosquitto* client;
    std::string last;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// kt5270 serve polling every station of the simulator as bus `bus`, feeding the broker on
// `brokerPort`; its log goes to `log`.
pid_t spawnDaemon(const kt::sim::ControllerSimulator& simulator, const std::string& bus, std::chrono::milliseconds period,
                  int brokerPort, const std::string& log)
{
    return spawn({KT5270_EXECUTABLE, "--port", simulator.devicePath(), "--address", "1-" + std::to_string(kStations), "serve",
                  "--bus", bus, "--period", std::to_string(period.count()), "--mqtt", "127.0.0.1:" + std::to_string(brokerPort)},
                 log.c_str());
}

// The daemon's polls among what the controller heard: status reads, one per station a round
// (a leak adds one distance read to every station, but not to most rounds).
double statusReads(const std::vector<kt::sim::Bytes>& frames)
{
    return static_cast<double>(std::count_if(frames.begin(), frames.end(), [](const auto& frame) {
        return frame.size() > 3 && frame[1] == 0x04 && frame[2] == 0x40 && frame[3] == 0x02;
    }));
}

// A round over every station, every channel normal, at period 0 on a line paced at 9600 baud,
// counted at the controller over `window`. The floor is the wire's: an 8-byte request and a
// 7-byte reply per station, ten bits a byte.
void measurePacedRound(kt::sim::ControllerSimulator& simulator, int brokerPort, const std::string& directory)
{
    constexpr int kBaud = 9600;
    constexpr double kFloorMs = kStations * (8 + 7) * 10 * 1000.0 / kBaud;
    constexpr auto window = 20s;
    simulator.setBytePacing(kBaud);
    const pid_t daemon = spawnDaemon(simulator, "paced", 0ms, brokerPort, directory + "/paced.log");
    std::this_thread::sleep_for(3s);  // the port open and the first rounds behind it
    simulator.clearReceivedFrames();
    std::this_thread::sleep_for(window);
    const double roundMs = std::chrono::duration<double, std::milli>(window).count()
                           / (statusReads(simulator.receivedFrames()) / kStations);
    end(daemon);
    simulator.setBytePacing(std::nullopt);
    std::fprintf(stderr, "a round over %d stations at %d baud: %.1f ms, the wire's %.1f ms\n", kStations, kBaud, roundMs, kFloorMs);
    std::printf("row: a round of `kt5270 serve` over 32 stations, 9600-baud line, period 0 | %.0f ms | %.0f ms | %.2f\n", roundMs,
                kFloorMs, roundMs / kFloorMs);
}

}  // namespace

int main(int argc, char** argv)
{
    const auto duration = std::chrono::seconds(argc > 1 ? std::stoi(argv[1]) : 600);
    char directory[] = "/tmp/kt5270-bench-serve-XXXXXX";
    ::mkdtemp(directory);
    const int port = freeLoopbackPort();
    const std::string config = std::string(directory) + "/mosquitto.conf";
    std::ofstream(config) << "listener " << port << " 127.0.0.1\nallow_anonymous true\npersistence false\n";
    const pid_t broker = spawn({"mosquitto", "-c", config});

    kt::sim::ControllerSimulator simulator;
    simulator.start();
    simulator.withDevice([](kt::sim::ControllerDevice& device) {
        device.setAddressFilter(kt::sim::AddressFilter::EveryAddress);
        device.setChannelValue(kt::sim::ChannelSetting::LeakDistance, kt::sim::Channel::B, 1234);
    });
    measurePacedRound(simulator, port, directory);
    Watcher watcher(port, "kt5270/bench/1/B/state");
    const pid_t daemon = spawnDaemon(simulator, "bench", kPeriod, port, std::string(directory) + "/daemon.log");
    watcher.waitFor("normal", 30s);
    simulator.clearReceivedFrames();
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds(daemon);

    // Leaks that come and go at times unrelated to the rounds.
    std::vector<double> delays;
    for (int toggle = 0; Clock::now() - start < duration; ++toggle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(700 + 397 * (toggle % 7)));
        const bool leak = toggle % 2 == 0;
        simulator.withDevice([leak](kt::sim::ControllerDevice& device) { device.setStatusCodes(leak ? 1 : 0, 0); });
        const auto changed = Clock::now();
        if (const auto arrived = watcher.waitFor(leak ? "leak" : "normal", 10s); arrived && leak)
            delays.push_back(std::chrono::duration<double, std::milli>(*arrived - changed).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpuPercent = 100 * (cpuSeconds(daemon) - cpuStart) / seconds;
    const double resident = statusMiB(daemon, "VmHWM");
    // A round: the period, then the polls.
    const double cycleMs = seconds * 1000 / (statusReads(simulator.receivedFrames()) / kStations);
    end(daemon);
    end(broker);
    std::filesystem::remove_all(directory);

    const double worst = delays.empty() ? 0 : *std::max_element(delays.begin(), delays.end());
    const double goal = cycleMs + 100;
    std::fprintf(stderr, "%zu leaks, median %.1f ms, worst %.1f ms; a round (period included) took %.1f ms\n",
                 delays.size(), median(delays), worst, cycleMs);
    std::printf("row: leak to its retained MQTT message, worst of %zu (32 stations, period 1000) | %.0f ms | %.0f ms | %.2f\n",
                delays.size(), worst, goal, worst / goal);
    std::printf("row: CPU of `kt5270 serve`, 32 stations at period 1000, %.0f min | %.2f %% of one core | 1 %% | %.2f\n",
                seconds / 60, cpuPercent, cpuPercent / 1.0);
    std::printf("row: resident memory of `kt5270 serve` (VmHWM), the same run | %.1f MiB | 15 MiB | %.2f\n", resident,
                resident / 15.0);
    return 0;
}
