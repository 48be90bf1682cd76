#pragma once

#include <QString>
#include <QStringList>

#include "ui/traffic_log.h"

// The communication log as text: the table's columns, the copied rows and the saved file.
namespace kt::ui {

enum class TrafficColumn { Time, Source, Direction, Bytes, Verdict };
inline constexpr int kTrafficColumnCount = 5;

QString trafficColumnTitle(TrafficColumn column);

// The row's text in `column`: the local time of day to the millisecond, who, which way, the
// bytes as spaced upper-case hex, and for a reply its verdict, for a closed connection its
// cause ("" for other rows).
QString trafficField(const TrafficRow& row, TrafficColumn column);

// The row's fields, separated by tabs.
QString trafficLine(const TrafficRow& row);

// Writes one line per row, UTF-8, each ending in CR LF. The file is replaced only once every
// line is written; false when it could not be.
bool saveTrafficLog(const QString& path, const TrafficSnapshot& rows);

}  // namespace kt::ui
