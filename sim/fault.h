#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "sim/wire_format.h"

namespace kt::sim {

// What goes wrong with one reply. Effects combine with +; they apply in the order of the fields.
struct Fault {
    std::optional<std::uint8_t> replyAddress;  // another station answers, checksum still right
    bool corruptChecksum = false;              // the last checksum byte inverted
    std::size_t truncateBy = 0;                // this many bytes missing at the end
    Bytes staleBytes;                          // sent at once, ahead of the (maybe delayed) reply
    std::chrono::milliseconds delay{0};        // added to the reply's usual delay
    bool dropReply = false;                    // nothing at all is sent

    static Fault fromStation(std::uint8_t address);
    static Fault badChecksum();
    static Fault truncated(std::size_t missingBytes);
    static Fault staleBytesFirst(Bytes bytes);
    static Fault delayed(std::chrono::milliseconds delay);
    static Fault noReply();

    Fault& operator+=(const Fault& other);
    friend Fault operator+(Fault left, const Fault& right) { return left += right; }
};

// A fault and the replies it hits: those to requests with this function and/or first
// register (any when unset), the next `times` of them, or all until cleared.
struct FaultRule {
    static constexpr int kUntilCleared = -1;

    FaultRule(Fault fault = {}, int times = 1, std::optional<Function> function = std::nullopt,
              std::optional<std::uint16_t> firstRegister = std::nullopt)
        : fault(std::move(fault)), times(times), function(function), firstRegister(firstRegister)
    {
    }

    Fault fault;
    int times;
    std::optional<Function> function;
    std::optional<std::uint16_t> firstRegister;
};

// A reply after its faults: `stale` goes out at once, `reply` after `delay`.
struct FaultedReply {
    Bytes stale;
    Bytes reply;
    std::chrono::milliseconds delay{0};
};

FaultedReply applyFault(const Fault& fault, Bytes reply);

// `count` bytes of line noise, the same for the same seed.
Bytes noiseBytes(std::size_t count, std::uint32_t seed = 1);

// Rules waiting for the replies they hit, in the order they were added.
class FaultQueue {
public:
    void add(FaultRule rule);
    void clear() { rules_.clear(); }

    // The combined fault of every rule that hits the reply to `request`; each such rule is
    // used up once.
    Fault takeFor(const Request& request);

private:
    std::vector<FaultRule> rules_;
};

}  // namespace kt::sim
