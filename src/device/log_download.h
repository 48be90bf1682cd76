#pragma once

#include <cstdint>
#include <vector>

#include "device/command.h"
#include "device/log_record.h"

// Downloading the event log: after the log count, the records are read in at most two
// blocks of up to 25 records (125 registers, the most one request may ask for).
namespace kt::device {

// The console shows at most this many records; a larger log is not downloaded at all.
inline constexpr int kMaxDownloadedRecords = 40;

struct LogBlock {
    std::uint32_t pauseBeforeMs = 0;  // wait this long before sending the block's request
    std::uint16_t firstRegister = 0;
    int firstRow = 0;  // row number of the block's first record
    int recordCount = 0;
};

// The blocks to read for a log of `recordCount` records, in order:
//   0        one block of 0 registers at 0x5000 (its 5-byte reply still has to arrive);
//   1..25    one block at 0x5000;
//   26..40   25 records at 0x5000, then the rest at 0x50FA after a pause of 300 ms;
//   41 and more: none.
std::vector<LogBlock> logDownloadPlan(std::uint16_t recordCount);

// The block's records, in order.
Command<std::vector<LogRecord>> logBlockRead(const LogBlock& block);

}  // namespace kt::device
