#include "device/channel_status.h"

#include "device/frames.h"
#include "device/value_format.h"

namespace kt::device {
namespace {

constexpr std::uint16_t kStatusWordRegister = 0x4002;
constexpr std::uint16_t kLeakDistanceARegister = 0x4003;
constexpr std::uint16_t kLeakDistanceBRegister = 0x4004;

}  // namespace

Command<ChannelCodes> statusWordRead()
{
    return {.request = readRequest(Function::ReadInputRegisters, kStatusWordRegister, 1),
            .replyLength = readReplyLength(1),
            .decode = [](std::span<const std::uint8_t> reply) {
                ChannelCodes codes;
                codes[Channel::B] = reply[kReplyDataOffset];
                codes[Channel::A] = reply[kReplyDataOffset + 1];
                return codes;
            }};
}

Command<std::uint16_t> leakDistanceRead(Channel channel)
{
    return wordRead(Function::ReadInputRegisters,
                    channel == Channel::A ? kLeakDistanceARegister : kLeakDistanceBRegister);
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
