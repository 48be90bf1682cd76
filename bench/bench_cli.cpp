// kt5270 against the simulated controller, run as the separate process it is: a watch over
// 32 stations (stations polled per second once it polls), and a one-shot status from the
// process's start to its exit.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

// The least any reply costs: waitForBytes always pauses once, 2 ms. (Two steps, as the window's
// rows count, is no floor here: the simulator answers the tool's process so fast that its
// first poll often finds the reply there already.)
constexpr double kOneStepMs = 2;

// Each station's poll is one status read (every channel normal): one reply.
bool measureWatch(const std::string& device)
{
    std::vector<double> rates;
    for (int run = 0; run < 5; ++run) {
        const ToolRun watch = runTool({"--port", device, "--address", "1-32", "status", "--watch",
                                       "--period", "0", "--count", std::to_string(kRounds)});
        if (!watch.succeeded || watch.lines.size() != kStations * kRounds)
            return false;
        rates.push_back(1000 * double(watch.lines.size() - 1)
                        / milliseconds(watch.lines.back() - watch.lines.front()));
    }
    std::printf("status --address 1-32 --watch --period 0 --count 10: %.0f stations a second, "
                "median of %zu runs\n", median(rates), rates.size());
    printRow("kt5270 status, 32 stations watched at period 0", median(rates), "stations/s",
             Bound{.value = 1000 / kOneStepMs, .isCeiling = true});
    return true;
}

// The least a one-shot status can take: the drain, then one reply.
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
             Bound{.value = kt::serial::kDrainWaitMs + kOneStepMs});
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
    return measureWatch(simulator.devicePath()) && measureOneShot(simulator.devicePath()) ? 0 : 1;
}
