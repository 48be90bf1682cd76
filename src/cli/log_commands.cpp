// log count, log clear and log download: the controller's event log.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/file_replacement.h"
#include "cli/log_formats.h"
#include "cli/report.h"
#include "cli/write_action.h"
#include "device/log_count.h"
#include "device/log_export.h"
#include "link/log_download.h"

namespace kt::cli {
namespace {

constexpr OptionSpec kFormatOption{
    "--format", "text|csv|json",
    "text (default): the window's export file, GBK, CR LF,\n"
    "its line layout; csv: UTF-8 with a header row;\n"
    "json: one array of records"};
constexpr OptionSpec kOutputOption{
    "--output", "FILE",
    "writes FILE instead of standard output; an old FILE is\n"
    "replaced only once the whole log is written"};
constexpr std::array kLogOptions{kFormatOption, kOutputOption};

ExitCode countLog(Session& session)
{
    const auto count = session.link.run(session.station(), device::logCountRead());
    if (!count)
        return failReply(count.failure());
    printResult(session.invocation, std::to_string(*count),
                {{"station", session.station()}, {"count", *count}});
    return ExitCode::Success;
}

// Writes `file` to `path`, or to standard output when there is none.
bool save(const std::string& file, const std::string& path)
{
    if (path.empty())
        return std::fwrite(file.data(), 1, file.size(), stdout) == file.size() && std::fflush(stdout) == 0;
    return replaceFile(path, file);
}

// As the window downloads: a drain, the count, then the records; a log larger than the
// window shows yields no records. The file is written only once the whole log has arrived.
Action downloadAction(LogFormat format, std::string path)
{
    return [format, path](Session& session) {
        std::vector<device::LogRow> rows;
        const auto failure = link::downloadLog(
            session.link, session.station(),
            {.countRead = [](std::uint16_t) {},
             .recordsRead = [&rows](int firstRow, std::span<const device::LogRecord> records) {
                 for (const device::LogRecord& record : records)
                     rows.push_back(device::logRow(firstRow++, record));
             }});
        if (failure)
            return failReply(*failure);
        if (!save(formatLog(format, rows), path))
            return fail(ExitCode::Usage, std::string(device::kLogSaveFailedText) + " " + path);
        return ExitCode::Success;
    };
}

Prepared prepareLog(const Invocation& invocation)
{
    const std::vector<std::string>& words = invocation.words;
    const std::string subcommand = words.size() == 2 ? words[1] : std::string();
    const bool download = subcommand == "download";
    if (!download && (invocation.has(kFormatOption) || invocation.has(kOutputOption)))
        return UsageError{"--format and --output go with log download"};
    if (subcommand == "count")
        return countLog;
    if (subcommand == "clear")
        return writeAction(device::logClear(), device::kLogClearAcceptedText,
                           device::kLogClearRefusedText);
    if (!download)
        return UsageError{"log takes count, clear or download"};
    const auto format = parseLogFormat(invocation.value(kFormatOption, "text"));
    if (!format)
        return UsageError{"--format takes text, csv or json"};
    const std::string path = invocation.value(kOutputOption);
    if (!path.empty() && !canReplaceFile(path))
        return UsageError{std::string(device::kLogSaveFailedText) + " " + path};
    return downloadAction(*format, path);
}

}  // namespace

const CommandEntry kLogCommand{{
    .name = "log",
    .helpPosition = 50,
    .synopsis = "log count | log clear | log download [--format text|csv|json] [--output FILE]",
    .help = "The controller's event log: the number of events, clearing them, or downloading\n"
            "them (at most 40; a larger log yields none, as in the window).",
    .example = "kt5270 --address 2 log download --format csv --output site2.csv",
    .options = kLogOptions,
    .prepare = prepareLog,
}};

}  // namespace kt::cli
