#pragma once

#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>

#include "link/link.h"
#include "serial/serial_port.h"
#include "ui/field_entry.h"
#include "ui/port_guard.h"
#include "ui/prompts.h"
#include "ui/traffic_log.h"

class QLineEdit;
class QWidget;

namespace kt::ui {

// What the window's parts share: the message box, the port with its one user at a time, and
// the opening every standard command goes through.
class WindowContext {
public:
    WindowContext(QWidget& window, Prompts& prompts, TrafficLog& trafficLog);
    ~WindowContext();

    QWidget& window() const { return window_; }
    Prompts& prompts() const { return prompts_; }
    // A modal box titled with the application's name, text only, OK button.
    void showMessage(QStringView text) const;

    // The port: closed, or open with the port the commands use.
    bool isPortOpen() const { return port_ != nullptr; }
    void setPort(std::unique_ptr<serial::SerialPort> port) { port_ = std::move(port); }
    // Over the open port, its traffic recorded as `traffic`'s.
    link::Link link(serial::TrafficObserver& traffic) const { return link::Link(*port_, &traffic); }
    // The link of the window's own command buttons.
    link::Link commandLink() { return link(commandTraffic_); }

    PortGuard& guard() { return guard_; }
    // Shows why the port is busy, if it is; true when it is free.
    bool portIsFree() const;

    // Field 1002, the station address every request starts with; the port band owns it.
    void setStationAddressField(QLineEdit& field) { stationAddressField_ = &field; }
    void showStationAddress(int address);

    // The opening every standard command shares: a port is open and free, and the station
    // address field holds an address. Otherwise shows why and returns none.
    std::optional<std::uint8_t> beginStandardCommand();
    // The station address, for a command that tells a closed port in its own words: none
    // after showing why the port is busy or the address is refused.
    std::optional<std::uint8_t> stationAddressForFreePort();

    // The entry's value, or none after showing the message that refuses it.
    template <typename Value>
    std::optional<Value> accepted(const FieldEntry<Value>& entry) const
    {
        if (!entry.value)
            showMessage(entry.refusal);
        return entry.value;
    }

    // Runs `command` as it is described over the command link. A failed reply shows the
    // shared message and gives none.
    template <typename Value>
    std::optional<Value> exchange(std::uint8_t station, const device::Command<Value>& command)
    {
        link::Result<Value> result = commandLink().run(station, command);
        if (!result) {
            showFailure(result.failure());
            return std::nullopt;
        }
        return *result;
    }
    void showFailure(link::Failure failure) const;

private:
    QWidget& window_;
    Prompts& prompts_;
    TrafficRecorder commandTraffic_;
    std::unique_ptr<serial::SerialPort> port_;
    PortGuard guard_;
    QLineEdit* stationAddressField_ = nullptr;
};

}  // namespace kt::ui
