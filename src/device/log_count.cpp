#include "device/log_count.h"

#include "device/frames.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kLogCountRegister = 0x4010;

}  // namespace

Command<std::uint16_t> logCountRead()
{
    return wordRead(Function::ReadHoldingRegisters, kLogCountRegister);
}

Command<bool> logClear()
{
    // The controller expects the word count 1 with no word behind it, which is a read
    // request's layout under the write function code.
    return writeCommand(readRequest(Function::WriteRegisters, kLogCountRegister, 1));
}

}  // namespace kt::device
