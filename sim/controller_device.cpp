#include "sim/controller_device.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kt::sim {
namespace {

// Registers that simply hold a value of one or two words; a channel's own ones name the
// setting they hold.
struct PlainRegister {
    std::uint16_t number;
    std::uint16_t words;
    Function readBy;
    bool writable;
    std::uint32_t initial;
    std::optional<ChannelSetting> setting = std::nullopt;
    Channel channel = Channel::A;
};

constexpr std::uint16_t kStatusWordRegister = 0x4002;
constexpr std::uint16_t kBaudRateRegister = 0x8000;

using enum ChannelSetting;
constexpr std::array kPlainRegisters{
    PlainRegister{0x6001, 2, Function::ReadHolding, true, 10000, CableLength, Channel::A},  // 100.00 m
    PlainRegister{0x6002, 2, Function::ReadHolding, true, 10000, CableLength, Channel::B},
    PlainRegister{0x6004, 1, Function::ReadHolding, true, 400, Resistivity, Channel::A},
    PlainRegister{0x6006, 1, Function::ReadHolding, true, 400, Resistivity, Channel::B},
    PlainRegister{0x6008, 1, Function::ReadHolding, true, 0, Calibration, Channel::A},
    PlainRegister{0x6009, 1, Function::ReadHolding, true, 0, Calibration, Channel::B},
    PlainRegister{kBaudRateRegister, 1, Function::ReadHolding, true, 9600},
    PlainRegister{kStatusWordRegister, 1, Function::ReadInput, false, 0},
    PlainRegister{0x4003, 1, Function::ReadInput, false, 0, LeakDistance, Channel::A},
    PlainRegister{0x4004, 1, Function::ReadInput, false, 0, LeakDistance, Channel::B},
    PlainRegister{0x4008, 1, Function::ReadInput, false, 0, ZeroCalibrationResult, Channel::A},
    PlainRegister{0x4009, 1, Function::ReadInput, false, 0, ZeroCalibrationResult, Channel::B},
};

const PlainRegister* findPlainRegister(std::uint16_t number)
{
    const auto found = std::ranges::find(kPlainRegisters, number, &PlainRegister::number);
    return found == kPlainRegisters.end() ? nullptr : &*found;
}

std::uint16_t registerOf(ChannelSetting setting, Channel channel)
{
    return std::ranges::find_if(kPlainRegisters, [&](const PlainRegister& plain) {
               return plain.setting == setting && plain.channel == channel;
           })->number;
}

constexpr std::uint16_t kClockRegister = 0x6010;
constexpr std::uint16_t kBusAddressRegister = 0x8001;
constexpr std::uint16_t kLogCountRegister = kLogClearRegister;
constexpr std::uint16_t kLogAreaRegister = 0x5000;
// The log area is addressed by byte: a block read starts kLogAreaRegister + byte offset.
constexpr std::uint16_t kLogAreaLastRegister = kLogAreaRegister + EventLog::kAreaBytes - 1;
constexpr std::uint16_t kMostWordsPerRead = 125;

constexpr std::uint16_t kAccepted = 0x0000;

bool isAlarm(std::uint8_t code)
{
    return code == 1 || code == 2;
}

}  // namespace

ControllerDevice::ControllerDevice()
{
    for (const PlainRegister& plain : kPlainRegisters)
        values_[plain.number] = plain.initial;
}

std::optional<Bytes> ControllerDevice::answer(std::span<const std::uint8_t> frame)
{
    const Request request = parseRequest(frame);
    if (!isForThisStation(request.address))
        return std::nullopt;
    if (isWrite(request.function)) {
        if (const std::uint16_t status = writeStatus(request.firstRegister); status != kAccepted)
            return wordReply(request, status);
    }

    struct Route {
        Function function;
        std::uint16_t first;
        std::uint16_t last;
        Bytes (ControllerDevice::*handle)(const Request&);
    };
    static constexpr std::array kRoutes{
        Route{Function::ReadInput, kStatusWordRegister, kStatusWordRegister, &ControllerDevice::readStatusWord},
        Route{Function::ReadHolding, kClockRegister, kClockRegister, &ControllerDevice::readClock},
        Route{Function::WriteClock, kClockRegister, kClockRegister, &ControllerDevice::writeClock},
        Route{Function::Write, kBusAddressRegister, kBusAddressRegister, &ControllerDevice::writeAddress},
        Route{Function::ReadHolding, kLogCountRegister, kLogCountRegister, &ControllerDevice::readLogCount},
        Route{Function::Write, kLogClearRegister, kLogClearRegister, &ControllerDevice::clearLog},
        Route{Function::ReadHolding, kLogAreaRegister, kLogAreaLastRegister, &ControllerDevice::readLogArea},
    };
    for (const Route& route : kRoutes) {
        if (route.function == request.function && request.firstRegister >= route.first
            && request.firstRegister <= route.last)
            return (this->*route.handle)(request);
    }
    return accessPlainRegister(request);
}

void ControllerDevice::setChannelValue(ChannelSetting setting, Channel channel, std::uint32_t value)
{
    values_[registerOf(setting, channel)] = value;
}

std::uint32_t ControllerDevice::channelValue(ChannelSetting setting, Channel channel) const
{
    return values_.at(registerOf(setting, channel));
}

std::int32_t ControllerDevice::cableLength(Channel channel) const
{
    return static_cast<std::int32_t>(channelValue(ChannelSetting::CableLength, channel));
}

void ControllerDevice::setStatusCodes(std::uint8_t codeB, std::uint8_t codeA)
{
    values_[kStatusWordRegister] = static_cast<std::uint32_t>((codeB << 8) | codeA);
}

std::uint8_t ControllerDevice::statusCode(Channel channel) const
{
    const std::uint32_t word = values_.at(kStatusWordRegister);
    return static_cast<std::uint8_t>(channel == Channel::A ? word & 0xFF : word >> 8);
}

std::uint16_t ControllerDevice::baudRate() const
{
    return static_cast<std::uint16_t>(values_.at(kBaudRateRegister));
}

void ControllerDevice::refuseWrites(std::uint16_t status, std::optional<std::uint16_t> number)
{
    if (number)
        refusedRegisters_[*number] = status;
    else
        refuseEveryWrite_ = status;
}

void ControllerDevice::acceptWrites()
{
    refuseEveryWrite_ = kAccepted;
    refusedRegisters_.clear();
}

bool ControllerDevice::isForThisStation(std::uint8_t requestAddress) const
{
    switch (filter_) {
    case AddressFilter::OwnAddress: return requestAddress == address_;
    case AddressFilter::EveryAddress: return true;
    case AddressFilter::NoAddress: return false;
    }
    return false;
}

std::uint16_t ControllerDevice::writeStatus(std::uint16_t number) const
{
    const auto refused = refusedRegisters_.find(number);
    return refused != refusedRegisters_.end() ? refused->second : refuseEveryWrite_;
}

Bytes ControllerDevice::accessPlainRegister(const Request& request)
{
    const PlainRegister* plain = findPlainRegister(request.firstRegister);
    const bool reachable = plain != nullptr
        && (request.function == Function::Write ? plain->writable : request.function == plain->readBy);
    if (!reachable)
        return exceptionReply(request, kIllegalDataAddress);
    if (request.wordCount != plain->words)
        return exceptionReply(request, kIllegalDataValue);
    std::uint32_t& value = values_[plain->number];
    if (request.function != Function::Write)
        return dataReply(request, toBigEndian(value, 2 * std::size_t{plain->words}));
    value = fromBigEndian(request.data);
    return wordReply(request, kAccepted);
}

Bytes ControllerDevice::readStatusWord(const Request& request)
{
    if (const auto step = scenario_.nextStatusRead())
        showScenarioStep(*step);
    return accessPlainRegister(request);
}

void ControllerDevice::showScenarioStep(const ScenarioStep& step)
{
    const bool newAlarmB = isAlarm(step.codeB) && step.codeB != statusCode(Channel::B);
    const bool newAlarmA = isAlarm(step.codeA) && step.codeA != statusCode(Channel::A);
    setStatusCodes(step.codeB, step.codeA);
    setChannelValue(ChannelSetting::LeakDistance, Channel::B, step.distanceB);
    setChannelValue(ChannelSetting::LeakDistance, Channel::A, step.distanceA);
    if (newAlarmA || newAlarmB) {
        const std::uint16_t distance = step.codeA == 1 ? step.distanceA : step.codeB == 1 ? step.distanceB : 0;
        log_.append(makeLogRecord(clock_.now(), step.codeB, step.codeA, distance));
    }
}

Bytes ControllerDevice::readClock(const Request& request)
{
    if (request.wordCount != kClockBytes / 2)
        return exceptionReply(request, kIllegalDataValue);
    return dataReply(request, encodeClock(clock_.now()));
}

Bytes ControllerDevice::writeClock(const Request& request)
{
    if (request.data.size() != kClockBytes)
        return exceptionReply(request, kIllegalDataValue);
    clock_.set(decodeClock(request.data.first<kClockBytes>()));
    return wordReply(request, kAccepted);
}

Bytes ControllerDevice::writeAddress(const Request& request)
{
    if (request.data.size() != 2)
        return exceptionReply(request, kIllegalDataValue);
    // The reply still carries the old address; the new one answers from the next request on.
    address_ = request.data[1];
    return wordReply(request, kAccepted);
}

Bytes ControllerDevice::readLogCount(const Request& request)
{
    if (request.wordCount != 1)
        return exceptionReply(request, kIllegalDataValue);
    return wordReply(request, log_.reportedCount());
}

Bytes ControllerDevice::clearLog(const Request& request)
{
    log_.clear();
    return wordReply(request, kAccepted);
}

Bytes ControllerDevice::readLogArea(const Request& request)
{
    const std::size_t offset = request.firstRegister - kLogAreaRegister;
    const std::size_t length = 2 * std::size_t{request.wordCount};
    if (request.wordCount > kMostWordsPerRead || offset + length > EventLog::kAreaBytes)
        return exceptionReply(request, kIllegalDataValue);
    return dataReply(request, log_.readArea(offset, length));
}

}  // namespace kt::sim
