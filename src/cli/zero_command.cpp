// zero: starts a zero calibration of one channel's cable.
#include <string>

#include "cli/channel_argument.h"
#include "cli/command.h"
#include "cli/report.h"
#include "device/zero_calibration.h"
#include "link/failure_text.h"

namespace kt::cli {
namespace {

using device::ZeroCalibrationOutcome;

// As the window runs it: no drain, its own longer wait and its own failure texts.
Prepared prepareZero(const Invocation& invocation)
{
    const auto channel =
        invocation.words.size() == 2 ? parseChannel(invocation.words[1]) : std::nullopt;
    if (!channel)
        return UsageError{"zero takes a|b"};
    return [channel = *channel](Session& session) {
        const std::uint8_t station = session.station();
        const auto outcome = session.link.run(station, device::zeroCalibration(channel, station));
        if (!outcome)
            return fail(ExitCode::NoAnswer, link::zeroCalibrationFailureText(outcome.failure()));
        switch (*outcome) {
        case ZeroCalibrationOutcome::Success: break;
        case ZeroCalibrationOutcome::Failure:
            return fail(ExitCode::Refused, device::kZeroCalibrationFailureText);
        case ZeroCalibrationOutcome::OtherStation:
            // The window stays silent; a script needs to know.
            return fail(ExitCode::NoAnswer, "another station answered");
        }
        printResult(session.invocation, device::kZeroCalibrationSuccessText,
                    {{"station", station},
                     {"channel", device::channelName(channel)},
                     {"message", device::kZeroCalibrationSuccessText}});
        return ExitCode::Success;
    };
}

}  // namespace

const CommandEntry kZeroCommand{{
    .name = "zero",
    .helpPosition = 90,
    .synopsis = "zero a|b",
    .help = "Starts a zero calibration of one channel's cable and reports its result.",
    .example = "kt5270 zero a",
    .prepare = prepareZero,
}};

}  // namespace kt::cli
