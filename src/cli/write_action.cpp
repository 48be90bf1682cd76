#include "cli/write_action.h"

#include "cli/report.h"

namespace kt::cli {

Action writeAction(device::Command<bool> command, std::string_view writtenText,
                   std::string_view refusedText)
{
    return [command = std::move(command), writtenText, refusedText](Session& session) {
        const std::uint8_t station = session.station();
        const auto written = session.link.run(station, command);
        if (!written)
            return failReply(written.failure());
        if (!*written)
            return fail(ExitCode::Refused, refusedText);
        printResult(session.invocation, writtenText,
                    {{"station", station}, {"written", true}, {"message", writtenText}});
        return ExitCode::Success;
    };
}

}  // namespace kt::cli
