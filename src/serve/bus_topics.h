#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/channel.h"
#include "serve/station_tracker.h"

namespace kt::serve {

// A topic and what it holds.
using Message = std::pair<std::string, std::string>;

// The bus's topics, all under "PREFIX/BUS/".
class BusTopics {
public:
    BusTopics(std::string prefix, std::string bus) : base_(prefix + "/" + bus + "/"), bus_(std::move(bus)) {}

    std::string status() const { return base_ + "status"; }
    std::string availability(std::uint8_t station) const { return stationBase(station) + "availability"; }
    std::string state(std::uint8_t station, device::Channel channel) const { return channelBase(station, channel) + "state"; }
    std::string distance(std::uint8_t station, device::Channel channel) const { return channelBase(station, channel) + "distance"; }
    std::string json(std::uint8_t station) const { return stationBase(station) + "json"; }
    const std::string& bus() const { return bus_; }

    // What the station's topics hold now; a topic whose value is not known yet is left out.
    std::vector<Message> stationMessages(const StationTracker& station) const;

private:
    std::string stationBase(std::uint8_t station) const { return base_ + std::to_string(station) + "/"; }
    std::string channelBase(std::uint8_t station, device::Channel channel) const
    {
        return stationBase(station) + std::string(device::channelName(channel)) + "/";
    }

    std::string base_;
    std::string bus_;
};

// Home Assistant's discovery configs for one station under `discoveryPrefix`: a device named
// "KT_5270 BUS/STATION" with, per channel, a moisture sensor (on: leak), a problem sensor (on:
// broken cable) and the leak distance in metres, and a connectivity sensor for the station.
// `uniquePrefix` keeps the ids of buses of different daemons on one broker apart.
std::vector<Message> discoveryMessages(const std::string& discoveryPrefix, const std::string& uniquePrefix,
                                       const BusTopics& topics, std::uint8_t station);

}  // namespace kt::serve
