#pragma once

#include <QString>

#include "device/log_row.h"

// The text file that log downloads append their rows to, while the save-log box is ticked.
namespace kt::ui {

// "KT_5270.txt" in `directory`.
QString defaultExportPath(const QString& directory);

// Appends the row's line to the file at `path`, creating the file when it does not exist.
// The file is opened for this one line and closed again, so every line is complete on disk
// before the next one. False when the file could not be opened, written or closed.
bool appendExportLine(const QString& path, const device::LogRow& row);

}  // namespace kt::ui
