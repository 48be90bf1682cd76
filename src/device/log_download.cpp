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
    const auto registerCount = static_cast<std::uint16_t>(recordCount * kRegistersPerRecord);
    return {.pauseBeforeMs = pauseBeforeMs,
            .firstRegister = firstRegister,
            .registerCount = registerCount,
            .replyLength = readReplyLength(registerCount),
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

Bytes logBlockRequest(const LogBlock& block)
{
    return readRequest(Function::ReadHoldingRegisters, block.firstRegister, block.registerCount);
}

LogRecord logRecordInBlock(std::span<const std::uint8_t> blockReply, int index)
{
    const std::size_t offset = kReplyDataOffset + static_cast<std::size_t>(index) * kLogRecordSize;
    return decodeLogRecord(blockReply.subspan(offset, kLogRecordSize));
}

}  // namespace kt::device
