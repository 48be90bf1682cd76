#include "cli/log_formats.h"

#include "cli/report.h"
#include "device/log_export.h"

namespace kt::cli {
namespace {

// The columns in their order, as CSV headers and JSON keys.
constexpr std::array<std::string_view, 5> kColumnNames{"number", "time", "channel", "type",
                                                       "leak_point"};

std::string textFile(const std::vector<device::LogRow>& rows)
{
    std::string file;
    for (const device::LogRow& row : rows) {
        const device::Bytes line = device::exportLine(row);
        file.append(line.begin(), line.end());
    }
    return file;
}

// No cell can hold a comma, a quote or a line break (numbers, times, A/B, the alarm words),
// so none is quoted.
std::string csvFile(const std::vector<device::LogRow>& rows)
{
    const auto csvLine = [](const auto& cells) {
        std::string line;
        for (const std::string_view cell : cells)
            line.append(line.empty() ? "" : ",").append(cell);
        return line + "\n";
    };
    std::string file = csvLine(kColumnNames);
    for (const device::LogRow& row : rows)
        file += csvLine(row.inColumnOrder());
    return file;
}

std::string jsonFile(const std::vector<device::LogRow>& rows)
{
    Json records = Json::array();
    for (const device::LogRow& row : rows) {
        Json record;
        const auto cells = row.inColumnOrder();
        for (std::size_t column = 0; column < cells.size(); ++column)
            record[kColumnNames[column]] = cells[column];
        record["number"] = jsonNumber(row.number);
        record["leak_point"] = jsonNumber(row.leakPoint);
        records.push_back(record);
    }
    return dumpJson(records) + "\n";
}

}  // namespace

std::optional<LogFormat> parseLogFormat(std::string_view name)
{
    if (name == "text")
        return LogFormat::Text;
    if (name == "csv")
        return LogFormat::Csv;
    if (name == "json")
        return LogFormat::Json;
    return std::nullopt;
}

std::string formatLog(LogFormat format, const std::vector<device::LogRow>& rows)
{
    switch (format) {
    case LogFormat::Text: return textFile(rows);
    case LogFormat::Csv: return csvFile(rows);
    case LogFormat::Json: return jsonFile(rows);
    }
    return {};
}

}  // namespace kt::cli
