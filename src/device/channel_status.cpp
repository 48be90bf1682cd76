#include "device/channel_status.h"

#include "device/value_format.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kStatusWordRegister = 0x4002;
constexpr std::uint16_t kLeakDistanceARegister = 0x4003;
constexpr std::uint16_t kLeakDistanceBRegister = 0x4004;

}  // namespace

Bytes statusWordRequest()
{
    return readRequest(Function::ReadInputRegisters, kStatusWordRegister, 1);
}

Bytes leakDistanceRequest(Channel channel)
{
    const std::uint16_t reg =
        channel == Channel::A ? kLeakDistanceARegister : kLeakDistanceBRegister;
    return readRequest(Function::ReadInputRegisters, reg, 1);
}

ChannelCodes channelCodes(std::span<const std::uint8_t> statusWordReply)
{
    return {.channelA = statusWordReply[kReplyDataOffset + 1],
            .channelB = statusWordReply[kReplyDataOffset]};
}

std::uint16_t leakDistance(std::span<const std::uint8_t> leakDistanceReply)
{
    return wordAt(leakDistanceReply, kReplyDataOffset);
}

std::optional<ChannelStatus> channelStatus(std::uint8_t code)
{
    if (code > static_cast<std::uint8_t>(ChannelStatus::Break))
        return std::nullopt;
    return static_cast<ChannelStatus>(code);
}

std::string_view channelStatusText(ChannelStatus status)
{
    switch (status) {
    case ChannelStatus::Normal: return "正常";
    case ChannelStatus::Leak: return "泄露";
    case ChannelStatus::Break: return "断线";
    }
    return {};
}

std::string polledLeakDistanceText(std::uint16_t hundredths)
{
    return formatHundredths(hundredths);
}

std::string monitoredLeakDistanceText(std::uint16_t hundredths)
{
    if (hundredths == kUnknownLeakDistance)
        return {};
    return formatHundredths(hundredths);
}

}  // namespace kt::device
