#pragma once

#include "link/traffic_row.h"

namespace kt::cli {

// --trace: each row of the communication log on standard error as it happens, tab-separated
// as the window's saved log has it.
class TrafficTrace final : public link::TrafficRowObserver {
public:
    using TrafficRowObserver::TrafficRowObserver;

private:
    void record(link::TrafficRow row) override;
};

}  // namespace kt::cli
