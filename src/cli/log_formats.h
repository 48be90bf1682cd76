#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/log_row.h"

namespace kt::cli {

enum class LogFormat {
    Text,  // the window's export file: GBK, CR LF, its line layout
    Csv,   // UTF-8, a header row, then one row a record
    Json,  // one array of objects
};

std::optional<LogFormat> parseLogFormat(std::string_view name);

// The whole file for these rows.
std::string formatLog(LogFormat format, const std::vector<device::LogRow>& rows);

}  // namespace kt::cli
