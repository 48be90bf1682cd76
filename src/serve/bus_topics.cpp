#include "serve/bus_topics.h"

#include "report/json.h"

namespace kt::serve {

using report::Json;

std::vector<Message> BusTopics::stationMessages(const StationTracker& station) const
{
    const std::uint8_t number = station.station();
    std::vector<Message> messages;
    if (station.online())
        messages.emplace_back(availability(number), *station.online() ? "online" : "offline");
    for (const device::Channel channel : device::kChannels) {
        const ChannelView& view = station.channel(channel);
        if (!view.status)
            continue;
        // The distance first: whoever reacts to a leak state finds its distance there already.
        messages.emplace_back(distance(number, channel), distanceText(view));
        messages.emplace_back(state(number, channel), std::string(stateName(*view.status)));
    }
    if (!station.statusLine().empty())
        messages.emplace_back(json(number), station.statusLine());
    return messages;
}

std::vector<Message> discoveryMessages(const std::string& discoveryPrefix, const std::string& uniquePrefix,
                                       const BusTopics& topics, std::uint8_t station)
{
    const std::string node = uniquePrefix + "_" + topics.bus() + "_" + std::to_string(station);
    const Json device{{"identifiers", Json::array({node})},
                      {"name", "KT_5270 " + topics.bus() + "/" + std::to_string(station)},
                      {"model", "KT_5270"}};
    const Json busOnly = Json::array({{{"topic", topics.status()}}});
    const Json busAndStation = Json::array({{{"topic", topics.status()}}, {{"topic", topics.availability(station)}}});

    std::vector<Message> messages;
    const auto add = [&](std::string_view component, const std::string& object, Json config, const Json& availability) {
        config["unique_id"] = node + "_" + object;
        config["device"] = device;
        config["availability"] = availability;
        config["availability_mode"] = "all";
        config["qos"] = 1;
        messages.emplace_back(discoveryPrefix + "/" + std::string(component) + "/" + node + "/" + object + "/config",
                              report::dumpJson(config));
    };
    for (const device::Channel channel : device::kChannels) {
        const std::string name(device::channelName(channel));
        const std::string state = topics.state(station, channel);
        add("binary_sensor", name + "_leak",
            {{"name", "Channel " + name + " leak"}, {"device_class", "moisture"}, {"state_topic", state},
             {"value_template", "{{ 'ON' if value == 'leak' else 'OFF' }}"}},
            busAndStation);
        add("binary_sensor", name + "_broken",
            {{"name", "Channel " + name + " cable broken"}, {"device_class", "problem"}, {"state_topic", state},
             {"value_template", "{{ 'ON' if value == 'broken' else 'OFF' }}"}},
            busAndStation);
        // An empty message (no leak) reads as "None", which Home Assistant shows as unknown.
        add("sensor", name + "_distance",
            {{"name", "Channel " + name + " leak distance"}, {"device_class", "distance"},
             {"unit_of_measurement", "m"}, {"state_topic", topics.distance(station, channel)},
             {"value_template", "{{ value if value else 'None' }}"}, {"suggested_display_precision", 2}},
            busAndStation);
    }
    // Available with the bus alone: it has to show "disconnected" when the station is offline.
    add("binary_sensor", "connectivity",
        {{"name", "Connection"}, {"device_class", "connectivity"}, {"entity_category", "diagnostic"},
         {"state_topic", topics.availability(station)}, {"payload_on", "online"}, {"payload_off", "offline"}},
        busOnly);
    return messages;
}

}  // namespace kt::serve
