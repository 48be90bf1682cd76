#pragma once

#include "ui/control_ids.h"

// Every button that talks to the controller, the two workers' start buttons included: what it
// says with no port open, and whether it takes the station address from its field.
struct CommandGuard {
    const char* name;
    int button;
    const char* portClosedText;
    bool usesStationAddress;
};

inline constexpr const char* kOpenPortFirst = "请先打开串口!!!";
inline constexpr const char* kOpenPortFirstPlain = "请先打开串口";

inline constexpr CommandGuard kCommandGuards[] = {
    {"device baud rate", kt::ui::SetDeviceBaudRateButton, kOpenPortFirst, true},
    {"device address", kt::ui::SetDeviceAddressButton, kOpenPortFirst, true},
    {"write length A", kt::ui::WriteLengthAButton, kOpenPortFirst, true},
    {"read length A", kt::ui::ReadLengthAButton, kOpenPortFirst, true},
    {"write length B", kt::ui::WriteLengthBButton, kOpenPortFirst, true},
    {"read length B", kt::ui::ReadLengthBButton, kOpenPortFirst, true},
    {"read resistivity A", kt::ui::ReadResistivityAButton, kOpenPortFirst, true},
    {"write resistivity A", kt::ui::WriteResistivityAButton, kOpenPortFirst, true},
    {"read resistivity B", kt::ui::ReadResistivityBButton, kOpenPortFirst, true},
    {"write resistivity B", kt::ui::WriteResistivityBButton, kOpenPortFirst, true},
    {"read calibration A", kt::ui::ReadCalibrationAButton, kOpenPortFirst, true},
    {"write calibration A", kt::ui::WriteCalibrationAButton, kOpenPortFirst, true},
    {"read calibration B", kt::ui::ReadCalibrationBButton, kOpenPortFirst, true},
    {"write calibration B", kt::ui::WriteCalibrationBButton, kOpenPortFirst, true},
    {"read clock", kt::ui::ReadClockButton, kOpenPortFirst, true},
    {"set clock", kt::ui::SetClockButton, kOpenPortFirst, true},
    {"single poll", kt::ui::SinglePollButton, kOpenPortFirst, true},
    {"log count", kt::ui::ReadLogCountButton, kOpenPortFirst, true},
    {"clear log", kt::ui::ClearLogButton, kOpenPortFirst, true},
    {"download log", kt::ui::ReadLogButton, kOpenPortFirst, true},
    {"zero calibration A", kt::ui::ZeroCalibrationAButton, kOpenPortFirstPlain, true},
    {"zero calibration B", kt::ui::ZeroCalibrationBButton, kOpenPortFirstPlain, true},
    {"monitoring", kt::ui::MonitorButton, kOpenPortFirstPlain, true},
    {"address search", kt::ui::SearchButton, kOpenPortFirstPlain, false},
};
