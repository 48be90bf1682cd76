#pragma once

#include <QStringView>
#include <functional>
#include <string_view>

#include "link/link.h"
#include "ui/worker_thread.h"

namespace kt::ui {

// What the address search shares with the window. The search command empties resultText
// before the worker starts; afterwards only the worker writes, and the window reads only
// inside the notification handlers. The run flag is the worker thread's own.
struct SearchShared {
    int foundAddress = 0;
    QStringView progressText;  // kSearchingText after every unanswered probe; never emptied
    std::string_view resultText;  // device::kAddressNotFoundText once every address went unanswered
};

inline constexpr QStringView kSearchingText = u"查找中...";

// The window's handlers for the worker's two notifications.
struct SearchDisplay {
    std::function<void()> showProgress;
    std::function<void()> showFoundAddress;
};

// Probes the addresses 0 to 255 in turn until one answers, all went unanswered, or the run
// flag is cleared.
void runSearchWorker(link::Link& link, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display);

}  // namespace kt::ui
