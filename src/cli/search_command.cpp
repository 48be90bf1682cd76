// search: finds a controller whose station address is unknown.
#include "cli/command.h"
#include "cli/report.h"
#include "cli/stop_signal.h"
#include "device/address_probe.h"
#include "link/address_search.h"

namespace kt::cli {
namespace {

// As the window's search; Ctrl+C ends it early.
ExitCode search(Session& session)
{
    const link::SearchOutcome outcome =
        link::searchAddress(session.link, [] { return !stopRequested(); });
    switch (outcome.end) {
    case link::SearchEnd::Found:
        printResult(session.invocation, std::to_string(outcome.address),
                    {{"station", outcome.address}});
        return ExitCode::Success;
    case link::SearchEnd::NotFound: return fail(ExitCode::NoAnswer, device::kAddressNotFoundText);
    case link::SearchEnd::Stopped: break;
    }
    return fail(ExitCode::NoAnswer, "search stopped");
}

Prepared prepareSearch(const Invocation&)
{
    return search;
}

}  // namespace

const CommandEntry kSearchCommand{{
    .name = "search",
    .helpPosition = 60,
    .synopsis = "search",
    .help = "Asks every station address from 0 to 255 in turn and prints the first that\n"
            "answers (about 36 s when none does). --address is not used.",
    .example = "kt5270 --port COM2 --baud 4800 search",
    .trafficSource = link::TrafficSource::Search,
    .takesNoArguments = true,
    .prepare = prepareSearch,
}};

}  // namespace kt::cli
