#include "ui/zero_calibration_part.h"

#include <QPushButton>

#include "device/zero_calibration.h"
#include "link/failure_text.h"
#include "ui/control_maker.h"
#include "ui/device_text.h"
#include "ui/messages.h"

namespace kt::ui {

ZeroCalibrationPart::ZeroCalibrationPart(WindowContext& context, ControlMaker& row)
    : context_(context)
{
    QObject::connect(row.button(ZeroCalibrationAButton, "通道A零校准"), &QPushButton::clicked,
                     [this] { calibrate(device::Channel::A); });
    QObject::connect(row.button(ZeroCalibrationBButton, "通道B零校准"), &QPushButton::clicked,
                     [this] { calibrate(device::Channel::B); });
}

// Not the standard exchange: its own texts, and silence when another station answers.
void ZeroCalibrationPart::calibrate(device::Channel channel)
{
    if (!context_.isPortOpen()) {
        context_.showMessage(text::kOpenPortFirstPlain);
        return;
    }
    const auto address = context_.stationAddressForFreePort();
    if (!address)
        return;

    const link::Result<device::ZeroCalibrationOutcome> outcome =
        context_.commandLink().run(*address, device::zeroCalibration(channel, *address));
    if (!outcome) {
        context_.showMessage(fromDeviceText(link::zeroCalibrationFailureText(outcome.failure())));
        return;
    }
    switch (*outcome) {
    case device::ZeroCalibrationOutcome::Success:
        context_.showMessage(fromDeviceText(device::kZeroCalibrationSuccessText));
        break;
    case device::ZeroCalibrationOutcome::Failure:
        context_.showMessage(fromDeviceText(device::kZeroCalibrationFailureText));
        break;
    case device::ZeroCalibrationOutcome::OtherStation:
        break;
    }
}

}  // namespace kt::ui
