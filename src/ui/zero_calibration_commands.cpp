#include <QPushButton>

#include "device/zero_calibration.h"
#include "link/failure_text.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

void MainDialog::connectZeroCalibrationCommands()
{
    connect(button(ZeroCalibrationAButton), &QPushButton::clicked, this,
            [this] { calibrateZero(device::Channel::A); });
    connect(button(ZeroCalibrationBButton), &QPushButton::clicked, this,
            [this] { calibrateZero(device::Channel::B); });
}

// Not the standard exchange: its own texts, no drain of stale input, a longer wait, and
// silence when another station answers.
void MainDialog::calibrateZero(device::Channel channel)
{
    if (!port_) {
        showMessage(text::kOpenPortFirstPlain);
        return;
    }
    const auto address = stationAddressForFreePort();
    if (!address)
        return;

    const link::Result<device::ZeroCalibrationOutcome> outcome = commandLink().run(
        *address, device::zeroCalibration(channel, *address), {.staleInput = link::StaleInput::Keep});
    if (!outcome) {
        showMessage(fromDeviceText(link::zeroCalibrationFailureText(outcome.failure())));
        return;
    }
    switch (*outcome) {
    case device::ZeroCalibrationOutcome::Success:
        showMessage(fromDeviceText(device::kZeroCalibrationSuccessText));
        break;
    case device::ZeroCalibrationOutcome::Failure:
        showMessage(fromDeviceText(device::kZeroCalibrationFailureText));
        break;
    case device::ZeroCalibrationOutcome::OtherStation:
        break;
    }
}

}  // namespace kt::ui
