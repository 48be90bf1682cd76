// The link running a real command (a log block read of 0 to 25 records, replies of 5 to 255
// bytes) over a port that delivers arbitrary bytes: the stale input's handling, the request on
// the wire, the judging of whatever comes back, the decoder handed exactly the reply, and a
// traffic observer told of every byte. Every byte the line has delivered is served at once, and
// the port's own clock lets the waits run their course without real sleeps.
#include <algorithm>
#include <limits>

#include "device/log_download.h"
#include "fuzz_support.h"
#include "link/link.h"
#include "scripted_port.h"
#include "serial/crc16.h"
#include "serial/exchange.h"

using namespace kt::serial;
using kt::fuzz::Bytes;
using kt::fuzz::expect;
using kt::link::StaleInput;

namespace {

struct Traffic final : TrafficObserver {
    std::vector<Bytes> sentFrames;
    std::vector<Bytes> replies;  // as read
    std::size_t expectedLength = 0;
    Bytes discardedBytes;

    void sent(std::span<const std::uint8_t> frame) override
    {
        sentFrames.emplace_back(frame.begin(), frame.end());
    }
    void received(const ObservedReply& reply) override
    {
        replies.emplace_back(reply.bytes.begin(), reply.bytes.end());
        expectedLength = reply.expectedLength;
    }
    void discarded(std::span<const std::uint8_t> staleBytes) override
    {
        expect(!staleBytes.empty(), "the observer hears only of discards that took something");
        discardedBytes.insert(discardedBytes.end(), staleBytes.begin(), staleBytes.end());
    }
};

// A line noisy enough that the drain finds its 500 bytes without waiting, or a quiet one,
// whose stale bytes are discarded from the queue as they stand or kept for the reply.
StaleInput staleInput(FuzzedDataProvider& input, kt::fuzz::ScriptedPort& port)
{
    const bool noisy = input.ConsumeBool();
    const std::size_t staleCount = noisy ? input.ConsumeIntegralInRange<std::size_t>(500, 700)
                                         : input.ConsumeIntegralInRange<std::size_t>(0, 499);
    Bytes stale = input.ConsumeBytes<std::uint8_t>(staleCount);
    stale.resize(staleCount);
    port.arrive(stale);
    if (noisy)
        return StaleInput::Drain;
    return input.ConsumeBool() ? StaleInput::Keep : StaleInput::Discard;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t readLimit = input.ConsumeBool()
        ? input.ConsumeIntegralInRange<std::size_t>(0, 600)
        : std::numeric_limits<std::size_t>::max();
    kt::fuzz::ScriptedPort port(readLimit);
    const StaleInput stale = staleInput(input, port);
    const std::size_t staleCount = port.queued();

    const auto station = input.ConsumeIntegral<std::uint8_t>();
    const auto recordCount = input.ConsumeIntegralInRange<std::uint16_t>(0, 25);
    auto command = kt::device::logBlockRead(kt::device::logDownloadPlan(recordCount).front());
    std::optional<Bytes> decoded;
    command.decode = [&decoded, decode = command.decode](std::span<const std::uint8_t> reply) {
        decoded.emplace(reply.begin(), reply.end());
        return decode(reply);
    };
    const Bytes answer = input.ConsumeRemainingBytes<std::uint8_t>();
    port.answerNextWrite(answer);

    Traffic traffic;
    kt::link::Link link(port, &traffic);
    const auto result = link.run(station, command, {.staleInput = stale});

    const std::size_t discarded = stale == StaleInput::Keep
        ? 0
        : std::min({staleCount, kReceiveBufferSize, readLimit});
    const auto replyStart = port.consumed().begin() + static_cast<std::ptrdiff_t>(discarded);
    expect(traffic.discardedBytes == Bytes(port.consumed().begin(), replyStart),
           "the stale input discarded is the oldest, at most 500 bytes, and the observer sees it");

    const Bytes& frame = port.written();
    expect(traffic.sentFrames == std::vector<Bytes>{frame}, "the whole request goes out, once, seen");
    expect(frame.size() == command.request.size() + 3 && frame.front() == station
               && std::equal(command.request.begin(), command.request.end(), frame.begin() + 1)
               && checksumMatches(frame),
           "address, command, checksum");

    const std::size_t available = staleCount - discarded + answer.size();
    const std::size_t received = std::min({command.replyLength, available, readLimit});
    const Bytes reply(replyStart, port.consumed().end());
    expect(reply.size() == received, "the reply holds what arrived, at most its length");
    expect(port.queued() == available - received, "nothing more is read than the reply");
    expect(traffic.replies == std::vector<Bytes>{reply}
               && traffic.expectedLength == command.replyLength,
           "the observer sees the reply as read, and the length asked for");

    if (received < command.replyLength)
        expect(!result && result.failure() == kt::link::Failure::ShortReply && !decoded,
               "too few bytes is a short reply");
    else if (!checksumMatches(reply))
        expect(!result && result.failure() == kt::link::Failure::BadChecksum && !decoded,
               "full length, bad checksum");
    else
        expect(result && decoded == reply && result->size() == recordCount,
               "an accepted reply, and only that, is decoded");
    return 0;
}
