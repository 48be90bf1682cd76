// status: both channels' states and leak distances of each station in a list, once or
// round after round.
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/period_option.h"
#include "cli/plain_number.h"
#include "cli/report.h"
#include "cli/stop_signal.h"
#include "device/channel_status.h"
#include "link/channel_poll.h"
#include "link/monitoring.h"
#include "report/local_time.h"
#include "report/station_line.h"

namespace kt::cli {
namespace {

constexpr OptionSpec kWatchOption{"--watch", {}, "repeats the rounds until Ctrl+C; exits 0"};
constexpr OptionSpec kCountOption{"--count", "N", "stops after N rounds"};
constexpr std::array kStatusOptions{kWatchOption, kPeriodOption, kCountOption};

struct WatchPlan {
    bool watch = false;
    int periodMs = kDefaultPeriodMs;
    std::optional<long> rounds = std::nullopt;  // none: until Ctrl+C
};

// "3 正常 - 泄露 12.34", or its JSON object. The single poll shows an unknown distance as
// 655.35, the monitoring as an empty field.
void printStation(const Invocation& invocation, const WatchPlan& plan, std::uint8_t station,
                  const link::StationReading& reading)
{
    const auto distanceText = plan.watch ? device::monitoredLeakDistanceText : device::polledLeakDistanceText;
    const report::StationLine line = report::stationLine(station, reading, distanceText, report::localTimeStamp());
    printResult(invocation, line.text, line.json);
}

struct Tally {
    long answered = 0;
    long unanswered = 0;
};

// One round over the list, each station polled by `poll`.
template <typename Poll>
void pollRound(Session& session, const WatchPlan& plan, Poll&& poll, Tally& tally)
{
    for (const std::uint8_t station : session.invocation.stations) {
        if (stopRequested())
            break;
        const link::StationReading reading = poll(station);
        ++(reading.failure ? tally.unanswered : tally.answered);
        printStation(session.invocation, plan, station, reading);
    }
}

// Once: each station polled as a button polls it; exit 1 when a station did not answer.
// Watching: rounds until --count or Ctrl+C, each station polled as the window's monitoring
// polls, the period between rounds; the unanswered polls are counted at the end, and the run
// exits 0.
ExitCode runStatus(Session& session, const WatchPlan& plan)
{
    Tally tally;
    if (!plan.watch) {
        pollRound(session, plan, [&](std::uint8_t station) { return link::pollChannels(session.link, station); }, tally);
        return tally.unanswered == 0 ? ExitCode::Success : ExitCode::NoAnswer;
    }

    link::Monitoring monitoring(session.link);
    long rounds = 0;
    while (!stopRequested() && (!plan.rounds || rounds < *plan.rounds)) {
        if (rounds > 0 && !pauseUnlessStopped(std::chrono::milliseconds(plan.periodMs)))
            break;
        pollRound(session, plan, [&](std::uint8_t station) { return monitoring.poll(station); }, tally);
        ++rounds;
    }
    std::fprintf(stderr, "%ld rounds: %ld answered, %ld did not answer\n", rounds, tally.answered,
                 tally.unanswered);
    return ExitCode::Success;
}

Prepared prepareStatus(const Invocation& invocation)
{
    WatchPlan plan{.watch = invocation.has(kWatchOption)};
    if (!plan.watch && (invocation.has(kPeriodOption) || invocation.has(kCountOption)))
        return UsageError{"--period and --count go with --watch"};
    const auto period = periodOption(invocation);
    if (const auto* refusal = std::get_if<UsageError>(&period))
        return *refusal;
    plan.periodMs = std::get<int>(period);
    if (invocation.has(kCountOption)) {
        const std::string count = invocation.value(kCountOption);
        if (!isPlainNumber(count) || count.starts_with('-') || count.size() > 9 || std::stol(count) < 1)
            return UsageError{"--count takes a number of rounds from 1"};
        plan.rounds = std::stol(count);
    }
    return [plan](Session& session) { return runStatus(session, plan); };
}

}  // namespace

const CommandEntry kStatusCommand{{
    .name = "status",
    .helpPosition = 10,
    .synopsis = "status [--address LIST] [--watch] [--period MS] [--count N]",
    .help = "Prints each station's line: address, then channel A's state and leak distance,\n"
            "then channel B's (\"-\" for none). A station that does not answer gets a line\n"
            "with the reason; once, the run then exits 1. The stations of the --address list\n"
            "are polled in turn.",
    .example = "kt5270 --address 1-4,9 status --watch --period 5000",
    .options = kStatusOptions,
    .takesStationList = true,
    .takesNoArguments = true,
    .prepare = prepareStatus,
}};

}  // namespace kt::cli
