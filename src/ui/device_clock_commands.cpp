#include <QLineEdit>
#include <QPushButton>

#include "device/device_clock.h"
#include "ui/clock_controls.h"
#include "ui/main_dialog.h"

namespace kt::ui {

void MainDialog::connectClockCommands()
{
    connect(button(ReadClockButton), &QPushButton::clicked, this, &MainDialog::readDeviceClock);
    connect(button(SetClockButton), &QPushButton::clicked, this, &MainDialog::setDeviceClock);
}

void MainDialog::readDeviceClock()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    if (const auto time = exchange(*address, device::clockRead()))
        showClock(*time);
}

void MainDialog::setDeviceClock()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto time = accepted(clockEntry(*this));
    if (!time)
        return;
    if (const auto written = exchange(*address, device::clockWrite(*time)))
        showMessage(fromDeviceText(*written ? device::kClockSetText : device::kClockRefusedText));
}

void MainDialog::showClock(const device::DateTime& time)
{
    for (const ClockControl& control : kClockControls)
        edit(control.fieldId)->setText(QString::number(time.*control.field->value));
}

}  // namespace kt::ui
