// serve: the daemon that owns one bus, feeding MQTT (and Home Assistant) and Prometheus.
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/command.h"
#include "cli/period_option.h"
#include "cli/port_opening.h"
#include "cli/stop_signal.h"
#include "serve/bus_daemon.h"

namespace kt::cli {
namespace {

constexpr OptionSpec kBusOption{"--bus", "NAME", "the bus in topics and labels (default: the port's name)"};
constexpr OptionSpec kMqttOption{"--mqtt", "HOST[:PORT]", "the MQTT broker (port 1883, 8883 with --mqtt-ca)"};
constexpr OptionSpec kMqttUserOption{"--mqtt-user", "USER", "with --mqtt-password-file: the broker's user"};
constexpr OptionSpec kMqttPasswordFileOption{"--mqtt-password-file", "FILE", "its first line is the password"};
constexpr OptionSpec kMqttCaOption{"--mqtt-ca", "FILE", "TLS to the broker, checked against this CA"};
constexpr OptionSpec kTopicPrefixOption{"--topic-prefix", "PREFIX", "topics are PREFIX/BUS/... (default kt5270)"};
constexpr OptionSpec kDiscoveryPrefixOption{
    "--discovery-prefix", "PREFIX",
    "Home Assistant's discovery prefix (default homeassistant; \"\" for none)"};
constexpr OptionSpec kMetricsOption{"--metrics", "HOST:PORT", "serves GET /metrics there"};
constexpr OptionSpec kListenOption{
    "--listen", "[HOST:]PORT",
    "lends the bus between polls to up to 4 TCP clients sending raw request\n"
    "frames, as to a serial device server (default host 127.0.0.1; no\n"
    "authentication)"};
constexpr std::array kServeOptions{kPeriodOption,      kBusOption,         kMqttOption,
                              kMqttUserOption,    kMqttPasswordFileOption, kMqttCaOption,
                              kTopicPrefixOption, kDiscoveryPrefixOption,  kMetricsOption,
                              kListenOption};
constexpr int kMqttPort = 1883;
constexpr int kMqttTlsPort = 8883;

// What topics and labels may hold of a name.
bool isNameCharacter(char character)
{
    return std::isalnum(static_cast<unsigned char>(character)) || character == '_' || character == '-';
}

// "ttyUSB0" for /dev/ttyUSB0, "COM3" for COM3.
std::string busNameOf(const std::string& port)
{
    std::string name = port.substr(port.find_last_of('/') + 1);
    std::erase_if(name, [](char character) { return !isNameCharacter(character); });
    return name.empty() ? "bus" : name;
}

// A topic level or a run of them: no wildcards, no empty level.
bool isTopicPrefix(const std::string& prefix)
{
    return !prefix.empty() && prefix.find_first_of("+#") == std::string::npos && !prefix.starts_with('/')
           && !prefix.ends_with('/') && prefix.find("//") == std::string::npos;
}

std::optional<std::string> firstLineOf(const std::string& path)
{
    std::ifstream file(path);
    std::string line;
    if (!file || (!std::getline(file, line) && !file.eof()))
        return std::nullopt;
    return line;
}

// The outputs are made before the port is opened, so that a configuration they refuse
// stops the run before anything is sent.
struct Outputs {
    std::unique_ptr<serve::MqttPublisher> mqtt;
    std::unique_ptr<serve::BusMetrics> metrics;
    std::unique_ptr<serve::BusLending> lending;
};

std::variant<std::unique_ptr<serve::MqttPublisher>, std::string> makeMqtt(const Invocation& invocation,
                                                                           const serve::BusTopics& topics)
{
    serve::MqttSettings settings;
    settings.caFile = invocation.value(kMqttCaOption);
    const int defaultPort = settings.caFile.empty() ? kMqttPort : kMqttTlsPort;
    const auto broker = serve::parseNetworkAddress(invocation.value(kMqttOption), defaultPort);
    if (!broker)
        return "--mqtt takes HOST[:PORT], such as 127.0.0.1:1883";
    settings.broker = *broker;
    settings.user = invocation.value(kMqttUserOption);
    if (invocation.has(kMqttPasswordFileOption)) {
        const std::string path = invocation.value(kMqttPasswordFileOption);
        if (settings.user.empty())
            return std::string("--mqtt-password-file goes with --mqtt-user");
        const std::optional<std::string> password = firstLineOf(path);
        if (!password)
            return "cannot read --mqtt-password-file " + path + ": " + std::strerror(errno);
        settings.password = *password;
    }
    return serve::MqttPublisher::create(settings, topics.status());
}

std::variant<std::unique_ptr<serve::BusMetrics>, std::string> makeMetrics(const std::string& address,
                                                                           const std::string& bus)
{
    const auto listening = serve::parseNetworkAddress(address, std::nullopt);
    if (!listening)
        return "--metrics takes HOST:PORT, such as 127.0.0.1:9101";
    auto metrics = serve::BusMetrics::listen(*listening, bus);
    if (const auto* refusal = std::get_if<std::string>(&metrics))
        return "--metrics " + *refusal;
    return metrics;
}

// "--listen PORT" is loopback's port; "--listen HOST:PORT" binds what it names.
std::variant<std::unique_ptr<serve::BusLending>, std::string> makeLending(const std::string& address, int baud)
{
    const bool portAlone = !address.empty() && std::ranges::all_of(address, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    const auto listening = serve::parseNetworkAddress(portAlone ? "127.0.0.1:" + address : address, std::nullopt);
    if (!listening)
        return "--listen takes PORT or HOST:PORT, such as 5020 or 0.0.0.0:5020";
    auto lending = serve::BusLending::listen(*listening, baud);
    if (const auto* refusal = std::get_if<std::string>(&lending))
        return "--listen " + *refusal;
    return lending;
}

ExitCode runServe(Session& session, serve::BusPlan plan, const std::shared_ptr<Outputs>& outputs)
{
    std::signal(SIGPIPE, SIG_IGN);  // a broker that went away is a failed send, not an end
    const Invocation& invocation = session.invocation;
    serve::BusDaemon daemon(std::move(plan), [&invocation] { return openPortNamed(invocation.port, invocation.baud); },
                            outputs->mqtt.get(), outputs->metrics.get(), outputs->lending.get(), stopRequested);
    daemon.run(std::move(session.port));
    return ExitCode::Success;
}

Prepared prepareServe(const Invocation& invocation)
{
    if (!invocation.has(kMqttOption) && !invocation.has(kMetricsOption))
        return UsageError{"serve needs --mqtt HOST[:PORT], --metrics HOST:PORT or both"};
    const auto period = periodOption(invocation);
    if (const auto* refusal = std::get_if<UsageError>(&period))
        return *refusal;
    const std::string bus = invocation.value(kBusOption, busNameOf(invocation.port));
    if (bus.empty() || !std::ranges::all_of(bus, isNameCharacter))
        return UsageError{"--bus takes a name of letters, digits, _ and -"};
    const std::string topicPrefix = invocation.value(kTopicPrefixOption, "kt5270");
    if (!isTopicPrefix(topicPrefix))
        return UsageError{"--topic-prefix takes topic levels without wildcards, such as kt5270 or site/kt5270"};
    const std::string discoveryPrefix = invocation.value(kDiscoveryPrefixOption, "homeassistant");
    if (!discoveryPrefix.empty() && !isTopicPrefix(discoveryPrefix))
        return UsageError{"--discovery-prefix takes topic levels without wildcards, or \"\" for none"};

    serve::BusPlan plan{.portName = invocation.port,
                        .baud = invocation.baud,
                        .waitStyle = invocation.waitStyle,
                        .stations = invocation.stations,
                        .period = std::chrono::milliseconds(std::get<int>(period)),
                        .topics = serve::BusTopics(topicPrefix, bus),
                        .discoveryPrefix = discoveryPrefix,
                        .uniquePrefix = busNameOf(topicPrefix)};
    auto outputs = std::make_shared<Outputs>();
    if (invocation.has(kMetricsOption)) {
        auto metrics = makeMetrics(invocation.value(kMetricsOption), bus);
        if (const auto* refusal = std::get_if<std::string>(&metrics))
            return UsageError{*refusal};
        outputs->metrics = std::get<0>(std::move(metrics));
    }
    if (invocation.has(kListenOption)) {
        auto lending = makeLending(invocation.value(kListenOption), invocation.baud);
        if (const auto* refusal = std::get_if<std::string>(&lending))
            return UsageError{*refusal};
        outputs->lending = std::get<0>(std::move(lending));
    }
    if (invocation.has(kMqttOption)) {
        auto mqtt = makeMqtt(invocation, plan.topics);
        if (const auto* refusal = std::get_if<std::string>(&mqtt))
            return UsageError{*refusal};
        outputs->mqtt = std::get<0>(std::move(mqtt));
    }
    return [plan, outputs](Session& session) { return runServe(session, plan, outputs); };
}

}  // namespace

const CommandEntry kServeCommand{{
    .name = "serve",
    .helpPosition = 110,
    .synopsis = "serve --address LIST [--period MS] [--bus NAME] [--mqtt HOST[:PORT]]\n"
                "        [--mqtt-user USER --mqtt-password-file FILE] [--mqtt-ca FILE]\n"
                "        [--topic-prefix PREFIX] [--discovery-prefix PREFIX] [--metrics HOST:PORT]\n"
                "        [--listen [HOST:]PORT]",
    .help = "Owns the bus: polls each station round after round as the monitoring does, and\n"
            "publishes every change to MQTT (retained, QoS 1, with Home Assistant discovery) and\n"
            "to Prometheus. Runs until SIGTERM or Ctrl+C. Log lines go to standard error with\n"
            "journald's priority prefix. Needs --mqtt, --metrics or both. --address lists the\n"
            "stations on the bus, such as 1-32.",
    .example = "kt5270 --port /dev/ttyUSB0 --address 1-32 serve --mqtt 127.0.0.1 --metrics 127.0.0.1:9101",
    .options = kServeOptions,
    .takesStationList = true,
    .takesNoArguments = true,
    .prepare = prepareServe,
}};

}  // namespace kt::cli
