// The request/reply exchange over a port that delivers arbitrary bytes: the drain of stale
// input, the request on the wire, and the judging of whatever comes back. Every byte the
// line has delivered is served at once, so each wait ends in its first 2 ms pass.
#include <algorithm>
#include <limits>

#include "fuzz_support.h"
#include "scripted_port.h"
#include "serial/crc16.h"
#include "serial/exchange.h"

using namespace kt::serial;
using kt::fuzz::Bytes;
using kt::fuzz::expect;

namespace {

// A line noisy enough that the drain finds its 500 bytes without waiting, or a quiet one,
// whose stale bytes are discarded from the queue as they stand.
void drainStaleInput(FuzzedDataProvider& input, kt::fuzz::ScriptedPort& port,
                     std::size_t readLimit)
{
    const bool noisy = input.ConsumeBool();
    const std::size_t staleCount = noisy ? input.ConsumeIntegralInRange<std::size_t>(500, 700)
                                         : input.ConsumeIntegralInRange<std::size_t>(0, 499);
    Bytes stale = input.ConsumeBytes<std::uint8_t>(staleCount);
    stale.resize(staleCount);
    port.arrive(stale);

    const std::size_t discarded = noisy ? drainInput(port) : discardQueuedInput(port);
    expect(discarded == std::min({staleCount, kReceiveBufferSize, readLimit}),
           "the drain takes what is queued, at most 500 bytes");
    expect(port.consumed() == Bytes(stale.begin(), stale.begin() + static_cast<std::ptrdiff_t>(discarded)),
           "the drain takes the oldest bytes");
    expect(port.queued() == staleCount - discarded, "the rest stays queued");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t readLimit = input.ConsumeBool()
        ? input.ConsumeIntegralInRange<std::size_t>(0, 600)
        : std::numeric_limits<std::size_t>::max();
    kt::fuzz::ScriptedPort port(readLimit);
    drainStaleInput(input, port, readLimit);
    const std::size_t drained = port.consumed().size();

    const auto address = input.ConsumeIntegral<std::uint8_t>();
    const Bytes command = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 20));
    const auto replyLength = input.ConsumeIntegralInRange<std::size_t>(0, 600);
    const Bytes answer = input.ConsumeRemainingBytes<std::uint8_t>();
    const std::size_t leftOver = port.queued();
    port.answerNextWrite(answer);

    const Bytes frame = frameRequest(address, command);
    const Reply reply = transact(port, frame, replyLength, 0);

    expect(port.written() == frame, "the whole request goes out, once");
    expect(frame.size() == command.size() + 3 && frame.front() == address
               && std::equal(command.begin(), command.end(), frame.begin() + 1)
               && checksumMatches(frame),
           "address, command, checksum");

    const std::size_t expected = std::min(replyLength, kReceiveBufferSize);
    const std::size_t available = leftOver + answer.size();
    const std::size_t received = std::min({expected, available, readLimit});
    expect(reply.bytes.size() == received, "the reply holds what arrived, at most its length");
    expect(std::equal(reply.bytes.begin(), reply.bytes.end(), port.consumed().begin()
                      + static_cast<std::ptrdiff_t>(drained)),
           "the reply is what the port delivered, in order");
    expect(port.queued() == available - received, "nothing more is read than the reply");

    if (received < expected)
        expect(reply.status == ReplyStatus::ShortReply, "too few bytes is a short reply");
    else if (checksumMatches(reply.bytes))
        expect(reply.status == ReplyStatus::Accepted, "full length and checksum is accepted");
    else
        expect(reply.status == ReplyStatus::BadChecksum, "full length, bad checksum");
    return 0;
}
