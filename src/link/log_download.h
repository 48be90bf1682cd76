#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "device/log_record.h"
#include "link/link.h"

namespace kt::link {

// Where the download reports what it read, as it reads it.
struct DownloadReport {
    std::function<void(std::uint16_t recordCount)> countRead;
    // A block's records; `firstRow` numbers the first of them within the download.
    std::function<void(int firstRow, std::span<const device::LogRecord> records)> recordsRead;
};

// Reads the log count, after the usual drain, and then the records block by block, with the
// pause the plan puts before a block. A log of more records than the
// console shows reads only the count. Returns the first failure, which ends the download.
std::optional<Failure> downloadLog(Link& link, std::uint8_t station, const DownloadReport& report);

}  // namespace kt::link
