#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/monitoring.h"
#include "serial/serial_port.h"
#include "serial/wait_style.h"
#include "serve/bus_lending.h"
#include "serve/bus_metrics.h"
#include "serve/bus_topics.h"
#include "serve/mqtt_publisher.h"
#include "serve/station_tracker.h"

namespace kt::serve {

struct BusPlan {
    std::string portName;  // as given: COMn or a device path
    int baud = 9600;
    serial::WaitStyle waitStyle = serial::WaitStyle::Readiness;
    std::vector<std::uint8_t> stations;
    std::chrono::milliseconds period{1000};
    BusTopics topics;
    std::string discoveryPrefix;  // none when empty
    std::string uniquePrefix;     // for Home Assistant's ids
};

// The daemon that owns one bus: polls every station round after round, each exactly as the
// monitoring polls it, and hands each change to MQTT and the metrics (either may be absent).
// Every exchange on the bus happens in pollRound(), one station after another, so requests
// never collide and a silent station costs one reply wait a round. A port that vanishes is
// opened again every kReopenInterval until it is back.
class BusDaemon {
public:
    static constexpr std::chrono::seconds kReopenInterval{5};

    using PortOpener = std::function<serial::OpenResult()>;

    // `lending`, when there is one, gets the bus between any two station polls.
    BusDaemon(BusPlan plan, PortOpener openPort, MqttPublisher* mqtt, BusMetrics* metrics,
              BusLending* lending, std::function<bool()> stopRequested);

    // Runs on the open `port` until a stop is requested, then says "offline" and closes it.
    void run(std::unique_ptr<serial::SerialPort> port);

private:
    // Rounds until the port vanishes or a stop is requested. Returns the port opened in its
    // place when the device came back at once, or null.
    std::unique_ptr<serial::SerialPort> pollRounds(serial::SerialPort& port);
    // True when at least one station answered.
    bool pollRound(link::Link& link, link::Monitoring& monitoring);
    // After a round that nobody answered: is the device still the one we hold?
    struct PortCheck {
        bool gone = false;
        std::unique_ptr<serial::SerialPort> replacement;  // a new device under the port's name
    };
    PortCheck checkPort();
    // Opens the port every kReopenInterval until it opens or a stop is requested.
    std::unique_ptr<serial::SerialPort> reopen();
    void apply(StationTracker& station, const std::vector<Change>& changes);
    // Waits `duration` while the MQTT connection runs and the bus is lent on `link`; shorter
    // on a stop.
    void pause(std::chrono::milliseconds duration, link::Link* link);

    BusPlan plan_;
    PortOpener openPort_;
    MqttPublisher* mqtt_;
    BusMetrics* metrics_;
    BusLending* lending_;
    std::function<bool()> stopRequested_;
    std::vector<StationTracker> stations_;
};

}  // namespace kt::serve
