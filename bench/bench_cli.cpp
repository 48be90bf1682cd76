// kt5270 against the simulated controller, run as the separate process it is: a watch over
// 32 stations (stations polled per second once it polls), on the simulator's instant line and
// on one paced at 9600 baud, there with both reply waits; and a one-shot status from the
// process's start to its exit.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_console.h"
#include "serial/exchange.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ToolRun {
    Clock::time_point start{};
    std::vector<Clock::time_point> lines{};  // when each line of standard output arrived
    Clock::time_point exit{};
    bool succeeded = false;
};

// Runs kt5270 with `arguments` and timestamps its output lines and its exit.
ToolRun runTool(std::vector<std::string> arguments)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&actions, ends[0]);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);  // the watch's tally
    arguments.insert(arguments.begin(), KT5270_EXECUTABLE);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    ToolRun run{.start = Clock::now()};
    pid_t child = 0;
    const bool spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    char buffer[4096];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        for (ssize_t index = 0; index < count; ++index) {
            if (buffer[index] == '\n')
                run.lines.push_back(Clock::now());
        }
    }
    ::close(ends[0]);
    int status = 0;
    if (spawned)
        ::waitpid(child, &status, 0);
    run.exit = Clock::now();
    run.succeeded = spawned && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

constexpr int kStations = 32;
constexpr int kRounds = 10;
constexpr int kRuns = 5;

// "0.52 0.58 0.59": the load average over 1, 5 and 15 minutes.
std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Stations polled a second by `status --watch --period 0` over 32 stations, from the first
// line of output to the last (320 lines); `extra` goes before the command. 0 when it failed.
double watchRate(const std::string& device, const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments{"--port", device, "--address", "1-32"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    for (const char* argument : {"status", "--watch", "--period", "0", "--count"})
        arguments.emplace_back(argument);
    arguments.push_back(std::to_string(kRounds));
    const ToolRun watch = runTool(arguments);
    if (!watch.succeeded || watch.lines.size() != kStations * kRounds)
        return 0;
    return 1000 * double(watch.lines.size() - 1) / milliseconds(watch.lines.back() - watch.lines.front());
}

// Each station's poll is one status read (every channel normal): one reply. On the instant
// line nothing but the tool's own work bounds the rate.
bool measureWatch(const std::string& device)
{
    std::vector<double> rates;
    for (int run = 0; run < kRuns; ++run) {
        rates.push_back(watchRate(device, {}));
        if (rates.back() == 0)
            return false;
    }
    std::printf("status --address 1-32 --watch --period 0 --count 10: %.0f stations a second, "
                "median of %zu runs\n", median(rates), rates.size());
    printRow("kt5270 status, 32 stations watched at period 0", median(rates), "stations/s");
    return true;
}

// The same on a line paced at 9600 baud, the runs with the window's 2 ms steps (--step-wait)
// and with the readiness wait taking turns, so that both see the same load. The floor is the
// wire's: an 8-byte request and a 7-byte reply, ten bits a byte.
bool measurePacedWatch(kt::sim::ControllerSimulator& simulator)
{
    constexpr int kBaud = 9600;
    constexpr double kWireStationsPerSecond = kBaud / (10.0 * (8 + 7));
    simulator.setBytePacing(kBaud);
    const std::string loadBefore = loadAverage();
    std::vector<double> stepped, ready;
    for (int run = 0; run < kRuns; ++run) {
        stepped.push_back(watchRate(simulator.devicePath(), {"--step-wait"}));
        ready.push_back(watchRate(simulator.devicePath(), {}));
        if (stepped.back() == 0 || ready.back() == 0)
            return false;
        std::printf("paced run %d: %.1f stations a second in 2 ms steps, %.1f on readiness\n", run + 1,
                    stepped.back(), ready.back());
    }
    simulator.setBytePacing(std::nullopt);
    std::printf("paced at %d baud, load average %s before and %s after\n", kBaud, loadBefore.c_str(),
                loadAverage().c_str());
    const Bound wire{.value = kWireStationsPerSecond, .isCeiling = true};
    printRow("kt5270 status, 32 stations watched at period 0, 9600-baud line, 2 ms steps (--step-wait)",
             median(stepped), "stations/s", wire);
    printRow("the same, readiness wait (the default)", median(ready), "stations/s", wire);
    return true;
}

// The least a one-shot status can take: the drain's 50 ms, which the readiness wait ends on
// time; the reply then costs no step.
bool measureOneShot(const std::string& device)
{
    std::vector<double> runs;
    for (int run = 0; run < 11; ++run) {
        const ToolRun once = runTool({"--port", device, "status"});
        if (!once.succeeded)
            return false;
        runs.push_back(milliseconds(once.exit - once.start));
    }
    printRuns("one-shot status, process start to exit", runs);
    printRow("kt5270 status once, process start to exit", median(runs), "ms",
             Bound{.value = kt::serial::kDrainWaitMs});
    return true;
}

}  // namespace

int main()
{
    kt::sim::ControllerSimulator simulator;
    if (!simulator.start())
        return 1;
    simulator.withDevice([](kt::sim::ControllerDevice& device) {
        device.setAddressFilter(kt::sim::AddressFilter::EveryAddress);
    });
    // The first run reads the program from disk; it is not counted.
    runTool({"--port", simulator.devicePath(), "status"});
    return measureWatch(simulator.devicePath()) && measurePacedWatch(simulator)
                   && measureOneShot(simulator.devicePath())
               ? 0
               : 1;
}
