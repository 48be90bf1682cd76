// clock: reads the controller's clock, or sets it to a given time or to this computer's.
#include <array>
#include <cstdio>
#include <regex>
#include <string>

#include "cli/command.h"
#include "report/local_time.h"
#include "cli/report.h"
#include "cli/write_action.h"
#include "device/device_clock.h"

namespace kt::cli {
namespace {

constexpr OptionSpec kSetOption{"--set", "TIME", "sets it to TIME (year 2010 to 9999)"};
constexpr OptionSpec kSyncOption{"--sync", {}, "sets it to this computer's local time"};
constexpr std::array kClockOptions{kSetOption, kSyncOption};

std::string clockText(const device::DateTime& time)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

// "YYYY-MM-DD HH:MM:SS", each field judged as the window judges the field it is typed into.
std::variant<device::DateTime, UsageError> parseClockText(const std::string& text)
{
    static const std::regex layout(R"((\d{1,4})-(\d{1,2})-(\d{1,2}) (\d{1,2}):(\d{1,2}):(\d{1,2}))");
    std::smatch fields;
    if (!std::regex_match(text, fields, layout))
        return UsageError{"not a time of the form \"YYYY-MM-DD HH:MM:SS\": \"" + text + "\""};
    device::ClockEntry entry;
    for (std::size_t field = 0; field < entry.size(); ++field)
        entry[field] = std::string_view(&*fields[field + 1].first, fields[field + 1].length());
    const device::ClockEntryResult parsed = device::parseClockEntry(entry);
    if (!parsed.time)
        return UsageError{std::string(parsed.rejected->refusalText)};
    return *parsed.time;
}

Action readClock()
{
    return [](Session& session) {
        const auto time = session.link.run(session.station(), device::clockRead());
        if (!time)
            return failReply(time.failure());
        const std::string text = clockText(*time);
        printResult(session.invocation, text, {{"station", session.station()}, {"clock", text}});
        return ExitCode::Success;
    };
}

Prepared prepareClock(const Invocation& invocation)
{
    if (invocation.words.size() != 1 || (invocation.has(kSetOption) && invocation.has(kSyncOption)))
        return UsageError{"clock takes either --set \"YYYY-MM-DD HH:MM:SS\" or --sync"};
    if (!invocation.has(kSetOption) && !invocation.has(kSyncOption))
        return readClock();
    // This computer's time is taken before the port opens; the open and the drain add about 50 ms.
    const std::string text =
        invocation.has(kSyncOption) ? report::localClockText() : invocation.value(kSetOption);
    const auto time = parseClockText(text);
    if (const auto* refusal = std::get_if<UsageError>(&time))
        return *refusal;
    return writeAction(device::clockWrite(std::get<device::DateTime>(time)), device::kClockSetText,
                       device::kClockRefusedText);
}

}  // namespace

const CommandEntry kClockCommand{{
    .name = "clock",
    .helpPosition = 40,
    .synopsis = "clock [--set \"YYYY-MM-DD HH:MM:SS\" | --sync]",
    .help = "Reads the controller's clock, which time-stamps its event log, or sets it.",
    .example = "kt5270 clock --set \"2026-12-07 09:30:00\"",
    .options = kClockOptions,
    .prepare = prepareClock,
}};

}  // namespace kt::cli
