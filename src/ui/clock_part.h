#pragma once

#include <QLineEdit>
#include <array>

#include "device/device_clock.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"

namespace kt::ui {

// The band's controls, each named by its id.
inline constexpr int ClockYearField = 1027;
inline constexpr int ClockMonthField = 1028;
inline constexpr int ClockDayField = 1029;
inline constexpr int ClockHourField = 1030;
inline constexpr int ClockMinuteField = 1031;
inline constexpr int ClockSecondField = 1032;
inline constexpr int ReadClockButton = 1033;
inline constexpr int SetClockButton = 1034;

// The clock band: the controller's date and time, read and set; at start-up it shows this
// computer's.
class ClockPart {
public:
    ClockPart(WindowContext& context, WindowLayout& layout);

private:
    void read();
    void set();
    void show(const device::DateTime& time);

    WindowContext& context_;
    // In the order of device::kClockFields.
    std::array<QLineEdit*, device::kClockFields.size()> fields_{};
};

}  // namespace kt::ui
