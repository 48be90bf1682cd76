#pragma once

#include <functional>

#include "link/address_search.h"
#include "link/link.h"
#include "ui/worker_thread.h"

namespace kt::ui {

// What the address search shares with the window: written only by the worker, read by the
// window only inside the notification handlers. The run flag is the worker thread's own.
struct SearchShared {
    link::SearchOutcome outcome{link::SearchEnd::Stopped};
};

// The window's handlers for the worker's two notifications.
struct SearchDisplay {
    std::function<void()> showProgress;  // after every unanswered probe
    std::function<void()> showOutcome;   // once a station answered or none did
};

// Probes the addresses 0 to 255 in turn until one answers, all went unanswered, or the run
// flag is cleared.
void runSearchWorker(link::Link& link, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display);

}  // namespace kt::ui
