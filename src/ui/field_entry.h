#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "device/cable_parameters.h"
#include "device/date_time.h"

namespace kt::ui {

class MainDialog;

// What the operator typed, read as a command's argument: its value, or the message that
// refuses it.
template <typename Value>
struct FieldEntry {
    std::optional<Value> value;
    QString refusal;
};

// Field 1002: the station address every request starts with.
FieldEntry<std::uint8_t> stationAddressEntry(const MainDialog& window);

FieldEntry<std::int32_t> cableEntry(const MainDialog& window, device::CableSetting setting,
                                    int fieldId);

// The six clock fields; the first one out of range refuses the time.
FieldEntry<device::DateTime> clockEntry(const MainDialog& window);

// The controller's new baud rate: the rate list's current text, picked or typed.
FieldEntry<std::uint16_t> deviceBaudRateEntry(const MainDialog& window);

// The controller's new bus address.
FieldEntry<std::uint8_t> newAddressEntry(const MainDialog& window);

}  // namespace kt::ui
