#include "cli/traffic_trace.h"

#include <cstdio>

#include "link/traffic_text.h"

namespace kt::cli {

void TrafficTrace::record(link::TrafficRow row)
{
    const std::string line = link::trafficLine(row) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace kt::cli
