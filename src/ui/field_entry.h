#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

#include "device/cable_parameters.h"
#include "device/date_time.h"

class QComboBox;
class QLineEdit;

namespace kt::ui {

// What the operator typed, read as a command's argument: its value, or the message that
// refuses it.
template <typename Value>
struct FieldEntry {
    std::optional<Value> value;
    QString refusal;
};

// A station address: the one every request starts with, or the controller's new one.
FieldEntry<std::uint8_t> addressEntry(const QLineEdit& field);

FieldEntry<std::int32_t> cableEntry(device::CableSetting setting, const QLineEdit& field);

// The six clock fields, in the order of device::kClockFields; the first one out of range
// refuses the time.
FieldEntry<device::DateTime> clockEntry(std::span<QLineEdit* const> fields);

// The controller's new baud rate: the rate list's current text, picked or typed.
FieldEntry<std::uint16_t> baudRateEntry(const QComboBox& rateList);

}  // namespace kt::ui
