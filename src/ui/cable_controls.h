#pragma once

#include <array>

#include "device/cable_parameters.h"
#include "ui/control_ids.h"

namespace kt::ui {

// One cable setting in the window: label, field, unit, then read left of write. The settings
// stand in a grid of rows and two halves so that their columns line up.
struct CableControls {
    device::CableSetting setting;
    const char* label;
    int field;
    const char* unit;
    int readButton;
    int writeButton;
    int row;
    int half;
};

inline constexpr std::array<CableControls, 6> kCableControls{{
    {device::CableSetting::LengthA, "A长度：", LengthAField, "米", ReadLengthAButton,
     WriteLengthAButton, 0, 0},
    {device::CableSetting::LengthB, "B长度：", LengthBField, "米", ReadLengthBButton,
     WriteLengthBButton, 1, 0},
    {device::CableSetting::ResistivityA, "A电阻率：", ResistivityAField, "毫欧/厘米",
     ReadResistivityAButton, WriteResistivityAButton, 2, 0},
    {device::CableSetting::ResistivityB, "B电阻率：", ResistivityBField, "毫欧/厘米",
     ReadResistivityBButton, WriteResistivityBButton, 2, 1},
    {device::CableSetting::CalibrationA, "A校正值：", CalibrationAField, "", ReadCalibrationAButton,
     WriteCalibrationAButton, 3, 0},
    {device::CableSetting::CalibrationB, "B校正值：", CalibrationBField, "", ReadCalibrationBButton,
     WriteCalibrationBButton, 3, 1},
}};

}  // namespace kt::ui
