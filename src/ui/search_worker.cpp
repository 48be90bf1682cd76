#include "ui/search_worker.h"

#include "device/address_probe.h"

namespace kt::ui {

// No drain, neither before the search nor between probes: each probe only waits briefly.
void runSearchWorker(link::Link& link, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display)
{
    for (int address = device::kFirstProbedAddress; address <= device::kLastProbedAddress;
         ++address) {
        if (!thread.isRunning())
            return;
        if (link.run(static_cast<std::uint8_t>(address), device::addressProbe(),
                     {.staleInput = link::StaleInput::Keep})) {
            shared.foundAddress = address;
            thread.notify(display.showFoundAddress);
            return;
        }
        shared.progressText = kSearchingText;
        thread.notify(display.showProgress);
    }
    shared.resultText = device::kAddressNotFoundText;
    thread.notify(display.showProgress);
}

}  // namespace kt::ui
