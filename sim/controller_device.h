#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>

#include "sim/controller_clock.h"
#include "sim/event_log.h"
#include "sim/status_scenario.h"
#include "sim/wire_format.h"

namespace kt::sim {

enum class Channel { A, B };

// Which request addresses the controller answers.
enum class AddressFilter { OwnAddress, EveryAddress, NoAddress };

// Values kept per channel, each in one register per channel.
enum class ChannelSetting {
    CableLength,            // signed 32-bit hundredths of a metre (two's complement here)
    Resistivity,            // milliohms per centimetre
    Calibration,
    LeakDistance,           // hundredths of a metre
    ZeroCalibrationResult,  // 0 = calibration succeeds
};

// The controller behind the line: its registers, clock and event log, and how it answers one
// request. Not thread-safe; the simulator serialises every access.
class ControllerDevice {
public:
    ControllerDevice();

    // The reply to a complete request with a correct checksum, or nothing when the request is
    // not addressed to this station.
    std::optional<Bytes> answer(std::span<const std::uint8_t> request);

    void setAddress(std::uint8_t address) { address_ = address; }
    std::uint8_t address() const { return address_; }
    void setAddressFilter(AddressFilter filter) { filter_ = filter; }

    void setChannelValue(ChannelSetting setting, Channel channel, std::uint32_t value);
    std::uint32_t channelValue(ChannelSetting setting, Channel channel) const;
    std::int32_t cableLength(Channel channel) const;

    // The status word: channel B's code in the high byte, channel A's in the low byte.
    void setStatusCodes(std::uint8_t codeB, std::uint8_t codeA);
    std::uint8_t statusCode(Channel channel) const;

    // The rate last written to the controller; the pseudo-terminal keeps serving regardless.
    std::uint16_t baudRate() const;

    // Writes (to `number`, or to any register) answered with these status bytes and not
    // carried out; status 0 accepts them again.
    void refuseWrites(std::uint16_t status, std::optional<std::uint16_t> number = std::nullopt);
    void acceptWrites();

    DeviceClock& clock() { return clock_; }
    EventLog& log() { return log_; }
    // Played on status-word reads; a step that raises an alarm is logged like a real one.
    StatusScenario& scenario() { return scenario_; }

private:
    bool isForThisStation(std::uint8_t requestAddress) const;
    std::uint16_t writeStatus(std::uint16_t number) const;
    void showScenarioStep(const ScenarioStep& step);

    Bytes accessPlainRegister(const Request& request);
    Bytes readStatusWord(const Request& request);
    Bytes readClock(const Request& request);
    Bytes writeClock(const Request& request);
    Bytes writeAddress(const Request& request);
    Bytes readLogCount(const Request& request);
    Bytes clearLog(const Request& request);
    Bytes readLogArea(const Request& request);

    std::uint8_t address_ = 1;
    AddressFilter filter_ = AddressFilter::OwnAddress;
    std::map<std::uint16_t, std::uint32_t> values_;
    std::uint16_t refuseEveryWrite_ = 0;
    std::map<std::uint16_t, std::uint16_t> refusedRegisters_;
    DeviceClock clock_;
    EventLog log_;
    StatusScenario scenario_;
};

}  // namespace kt::sim
