#include "serve/bus_metrics.h"

#include <prometheus/counter.h>
#include <prometheus/exposer.h>
#include <prometheus/gauge.h>
#include <prometheus/registry.h>

#include <array>
#include <exception>
#include <limits>

namespace kt::serve {
namespace {

using prometheus::Labels;

prometheus::Family<prometheus::Gauge>& gauge(prometheus::Registry& registry, const std::string& name,
                                             const std::string& help)
{
    return prometheus::BuildGauge().Name(name).Help(help).Register(registry);
}

}  // namespace

// The registry owns the families; these are its handles to them.
struct BusMetrics::Families {
    prometheus::Family<prometheus::Gauge>& stationUp;
    prometheus::Family<prometheus::Gauge>& channelLeak;
    prometheus::Family<prometheus::Gauge>& channelBroken;
    prometheus::Family<prometheus::Gauge>& leakDistance;
    prometheus::Family<prometheus::Counter>& polls;
    prometheus::Family<prometheus::Gauge>& roundDuration;
    prometheus::Family<prometheus::Gauge>& mqttConnected;
};

namespace {

std::unique_ptr<BusMetrics::Families> registerFamilies(prometheus::Registry& registry)
{
    return std::make_unique<BusMetrics::Families>(BusMetrics::Families{
        gauge(registry, "kt5270_station_up", "1 while the station answers its polls, 0 once it is offline"),
        gauge(registry, "kt5270_channel_leak", "1 while the channel reports a leak"),
        gauge(registry, "kt5270_channel_broken", "1 while the channel reports a broken sensing cable"),
        gauge(registry, "kt5270_leak_distance_meters", "Distance to the leak along the cable; NaN when not in leak"),
        prometheus::BuildCounter().Name("kt5270_polls_total").Help("Station polls by result").Register(registry),
        gauge(registry, "kt5270_round_duration_seconds", "Duration of the last round over every station of the bus"),
        gauge(registry, "kt5270_mqtt_connected", "1 while the daemon is connected to its MQTT broker"),
    });
}

std::string_view resultLabel(PollResult result)
{
    switch (result) {
    case PollResult::Ok: return "ok";
    case PollResult::NoReply: return "no_reply";
    case PollResult::BadChecksum: return "bad_checksum";
    }
    return {};
}

constexpr std::array<PollResult, 3> kPollResults{PollResult::Ok, PollResult::NoReply, PollResult::BadChecksum};

}  // namespace

std::variant<std::unique_ptr<BusMetrics>, std::string> BusMetrics::listen(const NetworkAddress& address,
                                                                           const std::string& bus)
{
    try {
        return std::unique_ptr<BusMetrics>(new BusMetrics(std::make_unique<prometheus::Exposer>(address.text(), 1), bus));
    } catch (const std::exception&) {
        return "cannot listen on " + address.text() + " (in use, or not an address of this machine)";
    }
}

BusMetrics::BusMetrics(std::unique_ptr<prometheus::Exposer> exposer, const std::string& bus)
    : bus_(bus), registry_(std::make_shared<prometheus::Registry>()), families_(registerFamilies(*registry_)),
      exposer_(std::move(exposer))
{
    exposer_->RegisterCollectable(registry_);
}

BusMetrics::~BusMetrics() = default;

void BusMetrics::recordPoll(std::uint8_t station, PollResult result)
{
    // Every result has its series from the first poll on, so that rates see its first count.
    for (const PollResult each : kPollResults) {
        prometheus::Counter& polls = families_->polls.Add(
            {{"bus", bus_}, {"station", std::to_string(station)}, {"result", std::string(resultLabel(each))}});
        if (each == result)
            polls.Increment();
    }
}

void BusMetrics::recordStation(const StationTracker& station)
{
    Families& metrics = *families_;
    const std::string number = std::to_string(station.station());
    if (station.online())
        metrics.stationUp.Add({{"bus", bus_}, {"station", number}}).Set(*station.online() ? 1 : 0);
    for (const device::Channel channel : device::kChannels) {
        const ChannelView& view = station.channel(channel);
        if (!view.status)
            continue;
        const Labels labels{{"bus", bus_}, {"station", number}, {"channel", std::string(device::channelName(channel))}};
        const bool leak = view.status == device::ChannelStatus::Leak;
        metrics.channelLeak.Add(labels).Set(leak ? 1 : 0);
        metrics.channelBroken.Add(labels).Set(view.status == device::ChannelStatus::Break ? 1 : 0);
        const bool distanceKnown = leak && view.leakDistance && *view.leakDistance != device::kUnknownLeakDistance;
        metrics.leakDistance.Add(labels).Set(distanceKnown ? *view.leakDistance / 100.0 : std::numeric_limits<double>::quiet_NaN());
    }
}

void BusMetrics::recordRound(std::chrono::duration<double> duration)
{
    families_->roundDuration.Add({{"bus", bus_}}).Set(duration.count());
}

void BusMetrics::recordMqttConnected(bool connected)
{
    families_->mqttConnected.Add({{"bus", bus_}}).Set(connected ? 1 : 0);
}

}  // namespace kt::serve
