#pragma once

#include <string>

#include "link/traffic_row.h"

// The communication log as text, the same in the window, its saved file and the tool's trace.
namespace kt::link {

enum class TrafficColumn { Time, Source, Direction, Bytes, Verdict, ResponseTime };
inline constexpr int kTrafficColumnCount = 6;

std::string trafficColumnTitle(TrafficColumn column);

// The row's text in `column`: the local time of day to the millisecond, who, which way, the
// bytes as spaced upper-case hex, for a reply its verdict and response time in ms, for a closed
// connection its cause ("" for other rows). UTF-8.
std::string trafficField(const TrafficRow& row, TrafficColumn column);

// The row's fields, separated by tabs.
std::string trafficLine(const TrafficRow& row);

}  // namespace kt::link
