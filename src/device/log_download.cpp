#include "device/log_download.h"

#include "device/frames.h"

namespace kt::device {
namespace {

constexpr int kRecordsPerBlock = 25;
constexpr int kRegistersPerRecord = static_cast<int>(kLogRecordSize / 2);
constexpr std::uint16_t kFirstBlockRegister = 0x5000;
// The controller places its second block 250 on from the first: the byte length of a full
// block, not its 125 registers.
constexpr std::uint16_t kSecondBlockRegister =
    kFirstBlockRegister + kRecordsPerBlock * kLogRecordSize;
constexpr std::uint32_t kPauseBeforeSecondBlockMs = 300;

LogBlock block(std::uint32_t pauseBeforeMs, std::uint16_t firstRegister, int firstRow,
               int recordCount)
{
    return {.pauseBeforeMs = pauseBeforeMs,
            .firstRegister = firstRegister,
            .firstRow = firstRow,
            .recordCount = recordCount};
}

}  // namespace

std::vector<LogBlock> logDownloadPlan(std::uint16_t recordCount)
{
    const int count = recordCount;
    if (count > kMaxDownloadedRecords)
        return {};
    if (count <= kRecordsPerBlock)
        return {block(0, kFirstBlockRegister, 0, count)};
    return {block(0, kFirstBlockRegister, 0, kRecordsPerBlock),
            block(kPauseBeforeSecondBlockMs, kSecondBlockRegister, kRecordsPerBlock,
                  count - kRecordsPerBlock)};
}

Command<std::vector<LogRecord>> logBlockRead(const LogBlock& block)
{
    const auto registerCount = static_cast<std::uint16_t>(block.recordCount * kRegistersPerRecord);
    const auto recordCount = static_cast<std::size_t>(block.recordCount);
    return {.request = readRequest(Function::ReadHoldingRegisters, block.firstRegister, registerCount),
            .replyLength = readReplyLength(registerCount),
            .decode = [recordCount](std::span<const std::uint8_t> reply) {
                std::vector<LogRecord> records;
                records.reserve(recordCount);
                for (std::size_t index = 0; index < recordCount; ++index)
                    records.push_back(decodeLogRecord(
                        reply.subspan(kReplyDataOffset + index * kLogRecordSize, kLogRecordSize)));
                return records;
            }};
}

}  // namespace kt::device
