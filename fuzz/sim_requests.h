#pragma once

#include <array>
#include <cstdint>

#include <fuzzer/FuzzedDataProvider.h>

#include "sim/wire_format.h"

namespace kt::fuzz {

// A request the simulator recognises, shaped from fuzz input: a header whose function and
// register are mostly ones the controller knows, the data its word count calls for, and a
// correct checksum. Checksums are all but impossible to guess, so the targets seal them.
inline sim::Bytes sealedRequest(FuzzedDataProvider& input, std::uint8_t address)
{
    static constexpr std::array<std::uint8_t, 5> kFunctions{0x03, 0x04, 0x06, 0x10, 0x2B};
    static constexpr std::array<std::uint16_t, 17> kRegisters{
        0x4002, 0x4003, 0x4004, 0x4008, 0x4009, 0x4010, 0x5000, 0x50FA, 0x518F,
        0x6001, 0x6002, 0x6004, 0x6006, 0x6008, 0x6009, 0x6010, 0x8001};
    const std::uint8_t function = input.ConsumeBool() ? input.PickValueInArray(kFunctions)
                                                      : input.ConsumeIntegral<std::uint8_t>();
    const std::uint16_t firstRegister = input.ConsumeBool() ? input.PickValueInArray(kRegisters)
                                                            : input.ConsumeIntegral<std::uint16_t>();
    const std::uint16_t wordCount = input.ConsumeBool()
        ? input.ConsumeIntegralInRange<std::uint16_t>(0, 4)
        : input.ConsumeIntegral<std::uint16_t>();
    sim::Bytes request{address,
                       function,
                       static_cast<std::uint8_t>(firstRegister >> 8),
                       static_cast<std::uint8_t>(firstRegister & 0xFF),
                       static_cast<std::uint8_t>(wordCount >> 8),
                       static_cast<std::uint8_t>(wordCount & 0xFF)};
    const auto length = sim::requestLength(std::span(request).first<sim::kRequestHeaderBytes>());
    if (!length)
        return request;
    sim::Bytes data = input.ConsumeBytes<std::uint8_t>(*length - request.size() - 2);
    data.resize(*length - request.size() - 2);
    request.insert(request.end(), data.begin(), data.end());
    return sim::withChecksum(std::move(request));
}

}  // namespace kt::fuzz
