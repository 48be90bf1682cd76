// The simulator cutting an arbitrary byte stream into requests: no byte is lost, duplicated
// or reordered, what it calls a request is one, the unfinished rest stays bounded, and a
// request arriving on an empty line is taken whole.
#include <chrono>

#include "fuzz_support.h"
#include "serial/crc16.h"
#include "sim/frame_assembler.h"
#include "sim/wire_format.h"
#include "sim_requests.h"

using namespace kt::sim;
using kt::fuzz::Bytes;
using kt::fuzz::expect;
using std::chrono::milliseconds;

namespace {

struct Stream {
    Bytes fed;
    Bytes delivered;  // every frame's bytes, in the order they came out

    std::size_t pending() const { return fed.size() - delivered.size(); }
};

void deliver(Stream& stream, const ReceivedFrame& frame)
{
    expect(!frame.bytes.empty(), "no empty frames");
    if (frame.wellFormed) {
        const auto length = requestLength(std::span(frame.bytes).first<kRequestHeaderBytes>());
        expect(length == frame.bytes.size() && kt::serial::checksumMatches(frame.bytes),
               "a well-formed frame is a known request of its length with a correct checksum");
    }
    stream.delivered.insert(stream.delivered.end(), frame.bytes.begin(), frame.bytes.end());
}

std::vector<ReceivedFrame> feed(FrameAssembler& assembler, Stream& stream,
                                std::span<const std::uint8_t> bytes, FrameAssembler::TimePoint now)
{
    stream.fed.insert(stream.fed.end(), bytes.begin(), bytes.end());
    std::vector<ReceivedFrame> frames = assembler.feed(bytes, now);
    for (const ReceivedFrame& frame : frames)
        deliver(stream, frame);
    expect(stream.pending() <= kLongestRequestBytes, "the unfinished rest stays bounded");
    expect(assembler.idleDeadline().has_value() == (stream.pending() > 0),
           "an idle deadline exactly while something is unfinished");
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const milliseconds idleGap(input.ConsumeIntegralInRange(0, 100));
    FrameAssembler assembler(idleGap);
    Stream stream;
    FrameAssembler::TimePoint now{};

    while (input.remaining_bytes() > 0) {
        now += milliseconds(input.ConsumeIntegralInRange(0, 150));
        if (const auto rest = assembler.expire(now)) {
            expect(!rest->wellFormed, "what is given up is not a request");
            deliver(stream, *rest);
        }
        expect(!assembler.idleDeadline() || *assembler.idleDeadline() > now,
               "nothing is left that should have been given up");

        const bool sealed = input.ConsumeBool();
        const Bytes piece = sealed ? kt::fuzz::sealedRequest(input, input.ConsumeIntegral<std::uint8_t>())
                                   : input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 40));
        const std::size_t split = input.ConsumeIntegralInRange<std::size_t>(0, piece.size());
        const bool lineWasEmpty = stream.pending() == 0;
        const std::span<const std::uint8_t> whole(piece);
        const auto first = feed(assembler, stream, whole.first(split), now);
        const auto second = feed(assembler, stream, whole.subspan(split), now);

        // An unknown function code leaves the piece an unsealed header.
        const bool request = sealed && piece.size() > kRequestHeaderBytes;
        if (request && lineWasEmpty && split == 0)
            expect(second.size() == 1 && second.front().wellFormed && second.front().bytes == piece,
                   "a request on an empty line comes out whole");
    }
    if (const auto rest = assembler.expire(now + idleGap))
        deliver(stream, *rest);
    expect(stream.delivered == stream.fed, "every byte comes out once, in order");
    return 0;
}
