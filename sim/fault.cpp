#include "sim/fault.h"

#include <algorithm>
#include <random>

namespace kt::sim {

Fault Fault::fromStation(std::uint8_t address) { Fault fault; fault.replyAddress = address; return fault; }
Fault Fault::badChecksum() { Fault fault; fault.corruptChecksum = true; return fault; }
Fault Fault::truncated(std::size_t missingBytes) { Fault fault; fault.truncateBy = missingBytes; return fault; }
Fault Fault::staleBytesFirst(Bytes bytes) { Fault fault; fault.staleBytes = std::move(bytes); return fault; }
Fault Fault::delayed(std::chrono::milliseconds delay) { Fault fault; fault.delay = delay; return fault; }
Fault Fault::noReply() { Fault fault; fault.dropReply = true; return fault; }

Fault& Fault::operator+=(const Fault& other)
{
    if (other.replyAddress)
        replyAddress = other.replyAddress;
    corruptChecksum = corruptChecksum || other.corruptChecksum;
    truncateBy += other.truncateBy;
    staleBytes.insert(staleBytes.end(), other.staleBytes.begin(), other.staleBytes.end());
    delay += other.delay;
    dropReply = dropReply || other.dropReply;
    return *this;
}

FaultedReply applyFault(const Fault& fault, Bytes reply)
{
    if (fault.dropReply)
        return {};
    if (fault.replyAddress) {
        reply[0] = *fault.replyAddress;
        reply.resize(reply.size() - 2);
        reply = withChecksum(std::move(reply));
    }
    if (fault.corruptChecksum)
        reply.back() ^= 0xFF;
    reply.resize(reply.size() - std::min(fault.truncateBy, reply.size()));
    return {fault.staleBytes, std::move(reply), fault.delay};
}

Bytes noiseBytes(std::size_t count, std::uint32_t seed)
{
    std::minstd_rand generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes noise(count);
    for (std::uint8_t& value : noise)
        value = static_cast<std::uint8_t>(byte(generator));
    return noise;
}

void FaultQueue::add(FaultRule rule)
{
    if (rule.times == FaultRule::kUntilCleared || rule.times > 0)
        rules_.push_back(std::move(rule));
}

Fault FaultQueue::takeFor(const Request& request)
{
    Fault combined;
    for (FaultRule& rule : rules_) {
        const bool hits = (!rule.function || *rule.function == request.function)
            && (!rule.firstRegister || *rule.firstRegister == request.firstRegister);
        if (!hits)
            continue;
        combined += rule.fault;
        if (rule.times != FaultRule::kUntilCleared)
            --rule.times;
    }
    std::erase_if(rules_, [](const FaultRule& rule) { return rule.times == 0; });
    return combined;
}

}  // namespace kt::sim
