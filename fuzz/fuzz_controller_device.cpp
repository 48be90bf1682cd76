// The simulated controller answering a sequence of requests, known ones and nonsense alike:
// every answer is a well-formed reply to its request, of the length the console waits for.
#include <array>

#include "fuzz_support.h"
#include "serial/crc16.h"
#include "sim/controller_device.h"
#include "sim/wire_format.h"
#include "sim_requests.h"

using namespace kt::sim;
using kt::fuzz::expect;

namespace {

void checkParsed(const Bytes& frame, const Request& request)
{
    expect(request.address == frame[0] && static_cast<std::uint8_t>(request.function) == frame[1]
               && request.firstRegister == ((frame[2] << 8) | frame[3])
               && request.wordCount == ((frame[4] << 8) | frame[5]),
           "the header is taken apart byte by byte");
    expect(request.data.size() == frame.size() - kRequestHeaderBytes - 2
               && request.data.data() == frame.data() + kRequestHeaderBytes,
           "the data lies between header and checksum");
}

void checkReply(const Request& request, const Bytes& reply)
{
    const auto function = static_cast<std::uint8_t>(request.function);
    expect(kt::serial::checksumMatches(reply), "every reply carries its checksum");
    expect(reply.size() >= 5 && reply[0] == request.address, "a reply names the station asked");
    if (reply[1] == (function | 0x80)) {
        expect(reply.size() == 5, "an exception reply is five bytes");
        return;
    }
    expect(reply[1] == function, "a reply repeats the function");
    expect(reply.size() == 5U + reply[2], "the byte count covers the data");
    if (isWrite(request.function))
        expect(reply.size() == 7, "a write is answered with its status word");
    else
        expect(reply[2] == 2 * request.wordCount, "a read is answered with the words asked for");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::array kFilters{AddressFilter::OwnAddress, AddressFilter::EveryAddress,
                                         AddressFilter::NoAddress};
    FuzzedDataProvider input(data, size);
    ControllerDevice device;
    device.setAddress(input.ConsumeIntegral<std::uint8_t>());
    const AddressFilter filter = input.PickValueInArray(kFilters);
    device.setAddressFilter(filter);
    if (input.ConsumeBool())
        device.refuseWrites(input.ConsumeIntegral<std::uint16_t>());
    std::vector<LogRecord> records(input.ConsumeIntegralInRange<std::size_t>(0, 45));
    for (LogRecord& record : records)
        record = {input.ConsumeIntegral<std::uint8_t>(), 0x20, 0x12, 0x07, 0x07, 0x09, 0x05, 0x01,
                  0x04, 0xD2};
    device.log().setRecords(records);

    while (input.remaining_bytes() > 0) {
        const std::uint8_t address = input.ConsumeBool() ? device.address()
                                                         : input.ConsumeIntegral<std::uint8_t>();
        const Bytes frame = kt::fuzz::sealedRequest(input, address);
        if (frame.size() == kRequestHeaderBytes)
            continue;  // an unknown function: the framing never hands it on
        const Request request = parseRequest(frame);
        checkParsed(frame, request);

        const bool addressed = filter == AddressFilter::EveryAddress
            || (filter == AddressFilter::OwnAddress && device.address() == address);
        const std::optional<Bytes> reply = device.answer(frame);
        expect(reply.has_value() == addressed, "only the stations it is set to answer get a reply");
        if (reply)
            checkReply(request, *reply);
    }
    return 0;
}
