#include "ui/search_worker.h"

#include "device/address_probe.h"
#include "serial/exchange.h"

namespace kt::ui {

// No drain, neither before the search nor between probes: each probe only waits briefly.
void runSearchWorker(serial::SerialPort& port, SearchShared& shared, WorkerThread& thread,
                     const SearchDisplay& display)
{
    for (int address = device::kFirstProbedAddress; address <= device::kLastProbedAddress;
         ++address) {
        if (!thread.isRunning())
            return;
        const auto probe =
            serial::frameRequest(static_cast<std::uint8_t>(address), device::addressProbeRequest());
        const serial::Reply reply = serial::transact(port, probe, device::kAddressProbeReplyLength,
                                                     device::kAddressProbeReplyWaitMs);
        if (reply.status == serial::ReplyStatus::Accepted) {
            shared.foundAddress = address;
            thread.notify(display.showFoundAddress);
            return;
        }
        shared.progressText = kSearchingText;
        thread.notify(display.showProgress);
    }
    shared.resultText = kAddressNotFoundText;
    thread.notify(display.showProgress);
}

}  // namespace kt::ui
