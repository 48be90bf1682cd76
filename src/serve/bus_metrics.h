#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "serve/network_address.h"
#include "serve/station_tracker.h"

namespace prometheus {
class Exposer;
class Registry;
}  // namespace prometheus

namespace kt::serve {

// The bus as Prometheus scrapes it from GET /metrics: the daemon's last values, served from
// the exposer's own threads without touching the bus. Every series carries the bus label; the
// station's series the station label, a channel's the channel label too.
class BusMetrics {
public:
    // Listens on `address`; a one-line reason when it cannot (in use, not this machine's).
    static std::variant<std::unique_ptr<BusMetrics>, std::string> listen(const NetworkAddress& address,
                                                                         const std::string& bus);
    ~BusMetrics();
    BusMetrics(const BusMetrics&) = delete;
    BusMetrics& operator=(const BusMetrics&) = delete;

    void recordPoll(std::uint8_t station, PollResult result);
    void recordStation(const StationTracker& station);
    void recordRound(std::chrono::duration<double> duration);
    void recordMqttConnected(bool connected);

    struct Families;

private:
    BusMetrics(std::unique_ptr<prometheus::Exposer> exposer, const std::string& bus);

    std::string bus_;
    std::shared_ptr<prometheus::Registry> registry_;
    std::unique_ptr<Families> families_;
    std::unique_ptr<prometheus::Exposer> exposer_;
};

}  // namespace kt::serve
