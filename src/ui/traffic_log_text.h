#pragma once

#include <QString>

#include "link/traffic_text.h"
#include "ui/traffic_log.h"

// The communication log as text in the window: its table, its copied rows and its saved file
// show the rows in the words link/traffic_text.h gives every user of the log.
namespace kt::ui {

using link::kTrafficColumnCount;
using link::TrafficColumn;

// Writes one line per row, UTF-8, each ending in CR LF. The file is replaced only once every
// line is written; false when it could not be.
bool saveTrafficLog(const QString& path, const TrafficSnapshot& rows);

}  // namespace kt::ui
