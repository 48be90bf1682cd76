#include "ui/search_worker.h"

namespace kt::ui {

void runSearchWorker(link::Link& link, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display)
{
    shared.outcome = link::searchAddress(
        link, [&] { return thread.isRunning(); }, [&] { thread.notify(display.showProgress); });
    if (shared.outcome.end != link::SearchEnd::Stopped)
        thread.notify(display.showOutcome);
}

}  // namespace kt::ui
