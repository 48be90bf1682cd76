#pragma once

#include "ui/search_worker.h"
#include "ui/traffic_log.h"
#include "ui/window_context.h"
#include "ui/worker_button.h"

class QLabel;

namespace kt::ui {

class ControlMaker;

// The band's controls, each named by its id.
inline constexpr int SearchButton = 1053;
inline constexpr int SearchResultText = 1054;

// The address search, at the end of the bus settings band: probes every address in the
// background until a controller answers, and makes the address it found the station address.
class AddressSearchPart {
public:
    AddressSearchPart(WindowContext& context, ControlMaker& row, TrafficLog& trafficLog);

private:
    void startStop();
    void showProgress();
    void showOutcome();

    WindowContext& context_;
    QLabel* result_ = nullptr;
    TrafficRecorder traffic_;
    // Declared after what the worker uses, so that it is stopped and joined first.
    SearchShared shared_;
    WorkerButton button_;
};

}  // namespace kt::ui
