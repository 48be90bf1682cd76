#include "serve/bus_daemon.h"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <thread>

#include "link/open_failure_text.h"
#include "report/local_time.h"
#include "serve/daemon_log.h"

namespace kt::serve {
namespace {

using Clock = std::chrono::steady_clock;

// How often a pause runs the MQTT connection and looks for a stop.
constexpr std::chrono::milliseconds kPauseStep{100};
// The same while the bus is lent: a client's request waits at most this long in a pause.
constexpr std::chrono::milliseconds kLendingPauseStep{10};

}  // namespace

BusDaemon::BusDaemon(BusPlan plan, PortOpener openPort, MqttPublisher* mqtt, BusMetrics* metrics,
                     BusLending* lending, std::function<bool()> stopRequested)
    : plan_(std::move(plan)), openPort_(std::move(openPort)), mqtt_(mqtt), metrics_(metrics), lending_(lending),
      stopRequested_(std::move(stopRequested))
{
    for (const std::uint8_t station : plan_.stations) {
        stations_.emplace_back(station);
        if (mqtt_ && !plan_.discoveryPrefix.empty()) {
            for (const auto& [topic, config] : discoveryMessages(plan_.discoveryPrefix, plan_.uniquePrefix, plan_.topics, station))
                mqtt_->publish(topic, config);
        }
    }
}

void BusDaemon::run(std::unique_ptr<serial::SerialPort> port)
{
    logLine(Priority::Info, "polling " + std::to_string(stations_.size()) + " stations on " + plan_.portName
                                + " as bus " + plan_.topics.bus());
    sd_notify(0, "READY=1");
    while (port && !stopRequested_()) {
        port = pollRounds(*port);
        if (!port && !stopRequested_())
            port = reopen();
    }
    sd_notify(0, "STOPPING=1");
    logLine(Priority::Info, "stopping");
    if (mqtt_)
        mqtt_->stop();
}

std::unique_ptr<serial::SerialPort> BusDaemon::pollRounds(serial::SerialPort& port)
{
    link::Link link(port, nullptr, plan_.waitStyle);
    link::Monitoring monitoring(link);
    for (bool first = true; !stopRequested_(); first = false) {
        if (!first)
            pause(plan_.period, &link);
        if (stopRequested_() || pollRound(link, monitoring))
            continue;
        PortCheck check = checkPort();
        if (check.gone)
            return std::move(check.replacement);
    }
    return nullptr;
}

bool BusDaemon::pollRound(link::Link& link, link::Monitoring& monitoring)
{
    const Clock::time_point start = Clock::now();
    bool anyAnswered = false;
    for (StationTracker& station : stations_) {
        if (stopRequested_())
            return true;  // cut short, not silent
        const link::StationReading reading = monitoring.poll(station.station());
        anyAnswered = anyAnswered || !reading.failure;
        if (metrics_)
            metrics_->recordPoll(station.station(), pollResult(reading));
        apply(station, station.update(reading, report::localTimeStamp()));
        if (mqtt_)
            mqtt_->service(std::chrono::milliseconds(0));
        if (lending_)
            lending_->lend(&link);
    }
    if (metrics_)
        metrics_->recordRound(Clock::now() - start);
    sd_notify(0, "WATCHDOG=1");
    return anyAnswered;
}

BusDaemon::PortCheck BusDaemon::checkPort()
{
    serial::OpenResult probe = openPort_();
    if (probe.port) {
        // Our own hold would have refused this open: the device we held is gone and a new
        // one took its name.
        logLine(Priority::Notice, plan_.portName + " was replaced by a new device; polling it");
        return {.gone = true, .replacement = std::move(probe.port)};
    }
    const bool gone = probe.failure.kind != serial::OpenFailure::Kind::InUse;
    if (gone) {
        logLine(Priority::Error, plan_.portName + " is gone: " + link::openFailureDetail(probe.failure, plan_.portName, plan_.baud)
                                     + " Every station is offline; opening it again every "
                                     + std::to_string(kReopenInterval.count()) + " s");
        for (StationTracker& station : stations_)
            apply(station, station.markOffline());
    }
    return {.gone = gone, .replacement = nullptr};
}

std::unique_ptr<serial::SerialPort> BusDaemon::reopen()
{
    while (!stopRequested_()) {
        pause(kReopenInterval, nullptr);
        if (stopRequested_())
            break;
        serial::OpenResult opened = openPort_();
        if (opened.port) {
            logLine(Priority::Notice, plan_.portName + " is open again");
            return std::move(opened.port);
        }
    }
    return nullptr;
}

void BusDaemon::apply(StationTracker& station, const std::vector<Change>& changes)
{
    for (const Change& change : changes)
        logLine(change.priority, change.text);
    if (mqtt_) {
        for (const auto& [topic, payload] : plan_.topics.stationMessages(station))
            mqtt_->publish(topic, payload);
    }
    if (metrics_)
        metrics_->recordStation(station);
}

void BusDaemon::pause(std::chrono::milliseconds duration, link::Link* link)
{
    const Clock::time_point end = Clock::now() + duration;
    do {
        if (lending_)
            lending_->lend(link);
        const auto step = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()),
                                     std::chrono::milliseconds(0), lending_ ? kLendingPauseStep : kPauseStep);
        if (mqtt_)
            mqtt_->service(step);
        else
            std::this_thread::sleep_for(step);
        if (mqtt_ && metrics_)
            metrics_->recordMqttConnected(mqtt_->connected());
        sd_notify(0, "WATCHDOG=1");
    } while (!stopRequested_() && Clock::now() < end);
}

}  // namespace kt::serve
