#include "serve/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "serve/daemon_log.h"

namespace kt::serve {
namespace {

constexpr std::string_view kOnline = "online";
constexpr std::string_view kOffline = "offline";
constexpr int kQos = 1;
constexpr int kKeepAliveSeconds = 30;
constexpr std::chrono::seconds kStopWait{1};

// libmosquitto wants its initialisation once per process, before any client.
void initialiseLibrary()
{
    static const int initialised = [] {
        mosquitto_lib_init();
        return 0;
    }();
    (void)initialised;
}

}  // namespace

std::variant<std::unique_ptr<MqttPublisher>, std::string> MqttPublisher::create(const MqttSettings& settings,
                                                                                 const std::string& statusTopic)
{
    initialiseLibrary();
    mosquitto* client = mosquitto_new(nullptr, true, nullptr);
    if (!client)
        return std::string("cannot create an MQTT client");
    std::unique_ptr<MqttPublisher> publisher(new MqttPublisher(client, settings, statusTopic));
    mosquitto_user_data_set(client, publisher.get());
    mosquitto_will_set(client, statusTopic.c_str(), static_cast<int>(kOffline.size()), kOffline.data(), kQos, true);
    if (!settings.user.empty())
        mosquitto_username_pw_set(client, settings.user.c_str(), settings.password.empty() ? nullptr : settings.password.c_str());
    if (!settings.caFile.empty()) {
        const int result = mosquitto_tls_set(client, settings.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            return "--mqtt-ca " + settings.caFile + ": " + mosquitto_strerror(result);
    }
    mosquitto_connect_callback_set(client, onConnect);
    mosquitto_disconnect_callback_set(client, onDisconnect);
    mosquitto_publish_callback_set(client, onPublish);
    return publisher;
}

MqttPublisher::MqttPublisher(mosquitto* client, MqttSettings settings, std::string statusTopic)
    : client_(client), settings_(std::move(settings)), statusTopic_(std::move(statusTopic))
{
}

MqttPublisher::~MqttPublisher()
{
    mosquitto_destroy(client_);
}

void MqttPublisher::publish(const std::string& topic, const std::string& payload)
{
    auto [held, added] = retained_.try_emplace(topic, payload);
    if (!added && held->second == payload)
        return;
    held->second = payload;
    if (connected_ && !republishPending_)
        send(topic, payload);
}

void MqttPublisher::send(const std::string& topic, const std::string& payload, int* messageId)
{
    mosquitto_publish(client_, messageId, topic.c_str(), static_cast<int>(payload.size()), payload.data(), kQos, true);
}

void MqttPublisher::service(std::chrono::milliseconds wait)
{
    if (!connected_ && !connecting_ && Clock::now() >= nextTry_)
        tryToConnect();
    if (!connected_ && !connecting_) {
        std::this_thread::sleep_for(wait);
        return;
    }
    const int result = mosquitto_loop(client_, static_cast<int>(wait.count()), 1);
    if (result != MOSQ_ERR_SUCCESS && (connected_ || connecting_))
        failed(result == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(result));
    if (connected_ && republishPending_)
        republish();
}

// Sent outside the connect callback: libmosquitto calls it holding its own locks, which a
// publish from inside would take in the other order.
void MqttPublisher::republish()
{
    republishPending_ = false;
    send(statusTopic_, std::string(kOnline));
    for (const auto& [topic, payload] : retained_)
        send(topic, payload);
}

void MqttPublisher::tryToConnect()
{
    const int result = triedBefore_ ? mosquitto_reconnect_async(client_)
                                    : mosquitto_connect_async(client_, settings_.broker.host.c_str(),
                                                              settings_.broker.port, kKeepAliveSeconds);
    triedBefore_ = true;
    if (result == MOSQ_ERR_SUCCESS)
        connecting_ = true;
    else
        failed(result == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(result));
}

void MqttPublisher::failed(const std::string& reason)
{
    if (!outageLogged_) {
        logLine(Priority::Warning, "MQTT broker " + settings_.broker.text() + ": " + reason
                                       + "; retrying every " + std::to_string(kMaxBackOff.count()) + " s at most");
        outageLogged_ = true;
    }
    connected_ = connecting_ = false;
    nextTry_ = Clock::now() + backOff_;
    backOff_ = std::min<std::chrono::seconds>(backOff_ * 2, kMaxBackOff);
}

void MqttPublisher::onConnect(mosquitto*, void* self, int code)
{
    auto& publisher = *static_cast<MqttPublisher*>(self);
    if (code != 0) {
        publisher.failed(mosquitto_connack_string(code));
        return;
    }
    publisher.connected_ = true;
    publisher.connecting_ = false;
    publisher.outageLogged_ = false;
    publisher.backOff_ = kFirstBackOff;
    publisher.republishPending_ = true;
    logLine(Priority::Notice, "MQTT broker " + publisher.settings_.broker.text() + ": connected");
}

void MqttPublisher::onDisconnect(mosquitto*, void* self, int code)
{
    auto& publisher = *static_cast<MqttPublisher*>(self);
    if (publisher.connected_ || publisher.connecting_)
        publisher.failed(publisher.connected_ ? "connection lost" : mosquitto_strerror(code));
}

void MqttPublisher::onPublish(mosquitto*, void* self, int messageId)
{
    auto& publisher = *static_cast<MqttPublisher*>(self);
    if (publisher.awaitedMessage_ == messageId)
        publisher.awaitedMessage_.reset();
}

void MqttPublisher::stop()
{
    if (!connected_)
        return;
    int messageId = 0;
    send(statusTopic_, std::string(kOffline), &messageId);
    awaitedMessage_ = messageId;
    const auto end = Clock::now() + kStopWait;
    while (connected_ && awaitedMessage_ && Clock::now() < end)
        mosquitto_loop(client_, 100, 1);
    connected_ = false;
    mosquitto_disconnect(client_);
}

}  // namespace kt::serve
