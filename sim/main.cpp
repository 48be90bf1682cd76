// kt5270-sim: a leak detection controller on a pseudo-terminal, for trying the console
// without hardware. See --help.
#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

#include "sim/controller_simulator.h"
#include "sim/frame_record.h"
#include "sim/simulator_options.h"

int main(int argc, char** argv)
{
    using namespace kt::sim;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    SimulatorOptions options;
    if (Outcome parsed = parseOptions(arguments, options); !parsed) {
        std::cerr << parsed.error << "\n" << usageText();
        return 2;
    }
    if (options.help) {
        std::cout << usageText();
        return 0;
    }

    // Blocked before the serving thread exists, so the stop signals wait for sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ControllerSimulator simulator;
    applyOptions(options, simulator);
    if (Outcome started = simulator.start(options.linkPath); !started) {
        std::cerr << "kt5270-sim: " << started.error << "\n";
        return 1;
    }
    std::cout << simulator.devicePath() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.stop();  // also removes the symlink
    if (!options.recordPath.empty()) {
        if (Outcome written = writeFrameRecord(options.recordPath, simulator.receivedFrameLog()); !written) {
            std::cerr << "kt5270-sim: " << written.error << "\n";
            return 1;
        }
    }
    return 0;
}
