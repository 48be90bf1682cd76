#pragma once

#include "device/channel.h"
#include "ui/window_context.h"

namespace kt::ui {

class ControlMaker;

// The band's controls, each named by its id.
inline constexpr int ZeroCalibrationAButton = 1055;
inline constexpr int ZeroCalibrationBButton = 1056;

// The zero calibration's frame in the sensing cable band: one button per channel.
class ZeroCalibrationPart {
public:
    ZeroCalibrationPart(WindowContext& context, ControlMaker& row);

private:
    void calibrate(device::Channel channel);

    WindowContext& context_;
};

}  // namespace kt::ui
