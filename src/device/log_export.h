#pragma once

#include <string_view>

#include "device/bytes.h"
#include "device/log_row.h"

// The text file a log download may append its rows to.
namespace kt::device {

// One line of the file: the row's five texts in column order, each pair separated by two
// spaces (an empty text keeps its separators), ending in CR LF on every platform, encoded
// in GBK (code page 936), as the file has always been written.
Bytes exportLine(const LogRow& row);

inline constexpr std::string_view kLogSaveFailedText = "保存日志失败!!!";

}  // namespace kt::device
