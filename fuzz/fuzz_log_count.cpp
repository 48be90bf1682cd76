// The log count reply and the download plan it leads to: the blocks cover exactly the rows
// of the log and every request and reply fits what the controller and the console take.
#include "device/frames.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const kt::fuzz::Bytes reply = kt::fuzz::acceptedReply(input, kLogCountReplyLength);
    const std::uint16_t count = logCount(reply);
    expect(count == wordAt(reply, kReplyDataOffset), "the count is the data word");

    const std::vector<LogBlock> plan = logDownloadPlan(count);
    if (count > kMaxDownloadedRecords) {
        expect(plan.empty(), "a log too large is not downloaded");
        return 0;
    }
    expect(plan.size() == (count > 25 ? 2U : 1U), "one block, two from the 26th record");

    int nextRow = 0;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        const LogBlock& block = plan[index];
        expect(block.firstRow == nextRow, "blocks follow one another without gap or overlap");
        expect(block.recordCount >= 0 && block.recordCount <= 25, "at most 25 records a block");
        expect(block.registerCount == block.recordCount * 5 && block.registerCount <= 125,
               "five registers a record, at most 125 a request");
        expect(block.replyLength == readReplyLength(block.registerCount)
                   && block.replyLength <= kt::serial::kReceiveBufferSize,
               "the reply fits the receive buffer");
        expect(block.firstRegister == (index == 0 ? 0x5000 : 0x50FA)
                   && block.pauseBeforeMs == (index == 0 ? 0U : 300U),
               "the second block starts 250 on, after a pause");
        const Bytes request = logBlockRequest(block);
        expect(request == Bytes{0x03, static_cast<std::uint8_t>(block.firstRegister >> 8),
                                static_cast<std::uint8_t>(block.firstRegister & 0xFF),
                                static_cast<std::uint8_t>(block.registerCount >> 8),
                                static_cast<std::uint8_t>(block.registerCount & 0xFF)},
               "a block is read with function 0x03");
        nextRow += block.recordCount;
    }
    expect(nextRow == count, "the blocks hold every record");
    return 0;
}
