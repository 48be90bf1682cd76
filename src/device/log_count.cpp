#include "device/log_count.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kLogCountRegister = 0x4010;

}  // namespace

Bytes logCountRequest()
{
    return readRequest(Function::ReadHoldingRegisters, kLogCountRegister, 1);
}

std::uint16_t logCount(std::span<const std::uint8_t> reply)
{
    return wordAt(reply, kReplyDataOffset);
}

Bytes logClearRequest()
{
    // The controller expects the word count 1 with no word behind it, which is a read
    // request's layout under the write function code.
    return readRequest(Function::WriteRegisters, kLogCountRegister, 1);
}

}  // namespace kt::device
