#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "serve/network_address.h"

struct mosquitto;

namespace kt::serve {

struct MqttSettings {
    NetworkAddress broker;
    std::string user;      // none when empty
    std::string password;
    std::string caFile;    // TLS with this CA when set
};

// The daemon's connection to an MQTT broker, run from the daemon's own thread: every message
// retained at QoS 1, each topic sent when its value changes and all of them again whenever
// the connection comes up, so that a restarted broker gets the whole picture back. The bus
// status topic says "online" once connected; the broker says "offline" as the last will, and
// a clean stop says it too. A lost or refused connection is retried with a back-off of up to
// kMaxBackOff, logged once per outage.
class MqttPublisher {
public:
    static constexpr std::chrono::seconds kFirstBackOff{1};
    static constexpr std::chrono::seconds kMaxBackOff{10};

    // Refuses settings that libmosquitto refuses (an unreadable CA file), in one line.
    static std::variant<std::unique_ptr<MqttPublisher>, std::string> create(const MqttSettings& settings,
                                                                            const std::string& statusTopic);
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Sends `payload` on `topic` unless it is what the topic already holds.
    void publish(const std::string& topic, const std::string& payload);
    // Runs the connection for up to `wait`: sends, receives, connects when a try is due.
    void service(std::chrono::milliseconds wait);
    bool connected() const { return connected_; }
    // Says "offline" on the status topic, waits up to a second for the broker to take it,
    // and disconnects.
    void stop();

private:
    using Clock = std::chrono::steady_clock;

    MqttPublisher(mosquitto* client, MqttSettings settings, std::string statusTopic);
    void tryToConnect();
    void failed(const std::string& reason);
    void republish();
    void send(const std::string& topic, const std::string& payload, int* messageId = nullptr);

    static void onConnect(mosquitto* client, void* self, int code);
    static void onDisconnect(mosquitto* client, void* self, int code);
    static void onPublish(mosquitto* client, void* self, int messageId);

    mosquitto* client_;
    MqttSettings settings_;
    std::string statusTopic_;
    std::map<std::string, std::string> retained_;  // what each topic holds, for reconnects
    bool connected_ = false;
    bool republishPending_ = false;  // connected: the whole picture is due
    bool connecting_ = false;
    bool triedBefore_ = false;
    bool outageLogged_ = false;
    std::chrono::seconds backOff_ = kFirstBackOff;
    Clock::time_point nextTry_{};
    std::optional<int> awaitedMessage_;
};

}  // namespace kt::serve
