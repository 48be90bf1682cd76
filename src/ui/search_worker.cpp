#include "ui/search_worker.h"

#include "device/address_probe.h"
#include "link/address_search.h"

namespace kt::ui {

void runSearchWorker(link::Link& link, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display)
{
    const link::SearchOutcome outcome = link::searchAddress(
        link, [&] { return thread.isRunning(); },
        [&] {
            shared.progressText = kSearchingText;
            thread.notify(display.showProgress);
        });
    switch (outcome.end) {
    case link::SearchEnd::Found:
        shared.foundAddress = outcome.address;
        thread.notify(display.showFoundAddress);
        break;
    case link::SearchEnd::NotFound:
        shared.resultText = device::kAddressNotFoundText;
        thread.notify(display.showProgress);
        break;
    case link::SearchEnd::Stopped: break;
    }
}

}  // namespace kt::ui
