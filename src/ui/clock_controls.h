#pragma once

#include <array>

#include "device/device_clock.h"
#include "ui/control_ids.h"

namespace kt::ui {

// A clock field of the window, with its unit and the digits it shows whole.
struct ClockControl {
    const device::ClockField* field;
    int fieldId;
    const char* unit;
    int digits;
};

// In the order of device::kClockFields.
inline constexpr std::array<ClockControl, device::kClockFields.size()> kClockControls{{
    {&device::kClockFields[0], ClockYearField, "年", 4},
    {&device::kClockFields[1], ClockMonthField, "月", 2},
    {&device::kClockFields[2], ClockDayField, "日", 2},
    {&device::kClockFields[3], ClockHourField, "时", 2},
    {&device::kClockFields[4], ClockMinuteField, "分", 2},
    {&device::kClockFields[5], ClockSecondField, "秒", 2},
}};

}  // namespace kt::ui
