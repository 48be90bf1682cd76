#pragma once

#include <cstdint>
#include <string_view>

#include "device/log_count.h"

// Finding a controller's unknown bus address: every address from 0 to 255 in turn is asked
// for its log count, and the first that sends a reply of full length with a passing checksum
// is taken, whatever the reply holds (even another address byte).
namespace kt::device {

inline constexpr int kFirstProbedAddress = 0;
inline constexpr int kLastProbedAddress = 255;

// Short: a scan of all 256 addresses, each probe also waiting out the 7-byte read's 40 ms
// limit, takes about 36 s.
inline constexpr std::uint32_t kAddressProbeReplyWaitMs = 100;

inline constexpr std::string_view kAddressNotFoundText =
    "未搜索到地址,请选别的波特率重新查找!!!";

inline Command<std::uint16_t> addressProbe()
{
    Command<std::uint16_t> probe = logCountRead();
    probe.replyWaitMs = kAddressProbeReplyWaitMs;
    // A drain before each of 256 probes would make the scan last minutes; each probe's own
    // short wait is enough.
    probe.staleInput = StaleInput::Keep;
    return probe;
}

}  // namespace kt::device
