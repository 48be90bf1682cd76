// search: finds a controller whose station address is unknown.
#include "cli/command.h"
#include "cli/report.h"
#include "cli/stop_signal.h"
#include "device/address_probe.h"

namespace kt::cli {
namespace {

// As the window's search: every address in turn, no drain, each probe's short wait; the
// first full reply with a passing checksum names the station. Ctrl+C ends it early.
ExitCode search(Session& session)
{
    for (int address = device::kFirstProbedAddress; address <= device::kLastProbedAddress;
         ++address) {
        if (stopRequested())
            return fail(ExitCode::NoAnswer, "search stopped");
        const auto station = static_cast<std::uint8_t>(address);
        if (session.link.run(station, device::addressProbe(), {.staleInput = link::StaleInput::Keep})) {
            printResult(session.invocation, std::to_string(address), {{"station", station}});
            return ExitCode::Success;
        }
    }
    return fail(ExitCode::NoAnswer, device::kAddressNotFoundText);
}

Prepared prepareSearch(const Invocation& invocation)
{
    if (invocation.words.size() != 1)
        return UsageError{"search takes no arguments"};
    return search;
}

}  // namespace

extern const CommandSpec kSearchCommand{
    .name = "search",
    .synopsis = "search",
    .help = "Asks every station address from 0 to 255 in turn and prints the first that\n"
            "answers (about 36 s when none does). --address is not used.",
    .example = "kt5270 --port COM2 --baud 4800 search",
    .trafficSource = link::TrafficSource::Search,
    .prepare = prepareSearch,
};

}  // namespace kt::cli
