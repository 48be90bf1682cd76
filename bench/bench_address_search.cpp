// The address search against the simulated controller: how long finding a controller at
// address a takes, and a full scan in which no address answers, against its floor of
// 256 x (the 100 ms wait + the 40 ms limit of the 7-byte read).
#include <cstdio>

#include "bench_console.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Seconds from the press of the search button to its report.
double searchSeconds(BenchConsole& console)
{
    console.prompts().messages.clear();
    const Clock::time_point start = Clock::now();
    console.dialog().button(kt::ui::SearchButton)->click();
    if (!runEventsUntil([&] { return !console.prompts().messages.empty(); }, 60s))
        return -1;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    runEventsFor(200ms);  // the worker ends after its report
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApplication application(argc, argv);
    BenchConsole console;
    if (!console.ready())
        return 1;

    for (int address : {0, 1, 8, 32}) {
        console.simulator.withDevice([address](kt::sim::ControllerDevice& device) {
            device.setAddress(std::uint8_t(address));
        });
        const double seconds = searchSeconds(console);
        std::printf("controller at %3d found in %.3f s", address, seconds);
        if (address > 0)
            std::printf(" (%.1f ms per unanswered probe)", 1000 * seconds / address);
        std::printf("\n");
    }

    console.simulator.withDevice([](kt::sim::ControllerDevice& device) {
        device.setAddressFilter(kt::sim::AddressFilter::NoAddress);
    });
    const double seconds = searchSeconds(console);
    std::printf("no controller: full scan in %.2f s = %.1f ms per probe\n", seconds,
                1000 * seconds / 256);
    printRow("a full address scan without an answer (256 probes)", seconds, "s",
             Bound{256 * (100 + 40) / 1000.0});
    return seconds > 0 ? 0 : 1;
}
