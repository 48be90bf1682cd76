#include "link/log_download.h"

#include <chrono>
#include <thread>

#include "device/log_count.h"
#include "device/log_download.h"

namespace kt::link {

std::optional<Failure> downloadLog(Link& link, std::uint8_t station, const DownloadReport& report)
{
    const Result<std::uint16_t> count = link.run(station, device::logCountRead());
    if (!count)
        return count.failure();
    report.countRead(*count);
    // The count's drain was the download's: the blocks follow it at once.
    const Steps noDrain{.staleInput = StaleInput::Keep};
    for (const device::LogBlock& block : device::logDownloadPlan(*count)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(block.pauseBeforeMs));
        const Result<std::vector<device::LogRecord>> records =
            link.run(station, device::logBlockRead(block), noDrain);
        if (!records)
            return records.failure();
        report.recordsRead(block.firstRow, *records);
    }
    return std::nullopt;
}

}  // namespace kt::link
