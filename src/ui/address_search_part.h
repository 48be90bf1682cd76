#pragma once

#include "ui/search_worker.h"
#include "ui/traffic_log.h"
#include "ui/window_context.h"
#include "ui/worker_thread.h"

class QLabel;
class QPushButton;

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
    // The button's caption as the worker is.
    void showWorkerState();

    WindowContext& context_;
    QPushButton* button_;
    QLabel* result_;
    TrafficRecorder traffic_;
    // Declared after what the worker uses, so that it is stopped and joined first.
    SearchShared shared_;
    WorkerThread worker_;
};

}  // namespace kt::ui
