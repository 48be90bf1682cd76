#pragma once

#include <memory>

#include "device/cable_parameters.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"

class QLineEdit;

namespace kt::ui {

// The band's controls, each named by its id.
inline constexpr int LengthAField = 1009;
inline constexpr int WriteLengthAButton = 1010;
inline constexpr int ReadLengthAButton = 1011;
inline constexpr int LengthBField = 1012;
inline constexpr int WriteLengthBButton = 1013;
inline constexpr int ReadLengthBButton = 1014;
inline constexpr int ResistivityAField = 1015;
inline constexpr int ReadResistivityAButton = 1016;
inline constexpr int WriteResistivityAButton = 1017;
inline constexpr int ResistivityBField = 1018;
inline constexpr int ReadResistivityBButton = 1019;
inline constexpr int WriteResistivityBButton = 1020;
inline constexpr int CalibrationAField = 1021;
inline constexpr int ReadCalibrationAButton = 1022;
inline constexpr int WriteCalibrationAButton = 1023;
inline constexpr int CalibrationBField = 1024;
inline constexpr int ReadCalibrationBButton = 1025;
inline constexpr int WriteCalibrationBButton = 1026;

// The sensing cable band: each channel's cable settings, read and written one at a time,
// with a frame beside the lengths that the zero calibration fills.
class CablePart {
public:
    CablePart(WindowContext& context, WindowLayout& layout);

    // The row of the zero calibration's frame.
    ControlMaker& zeroCalibrationRow() { return *zeroCalibrationRow_; }

private:
    void read(device::CableSetting setting, QLineEdit& field);
    void write(device::CableSetting setting, const QLineEdit& field);

    WindowContext& context_;
    std::unique_ptr<ControlMaker> zeroCalibrationRow_;
};

}  // namespace kt::ui
