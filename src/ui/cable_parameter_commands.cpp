#include <QLineEdit>
#include <QPushButton>

#include "device/cable_parameters.h"
#include "ui/cable_controls.h"
#include "ui/main_dialog.h"

namespace kt::ui {

void MainDialog::connectCableCommands()
{
    for (const CableControls& controls : kCableControls) {
        connect(button(controls.readButton), &QPushButton::clicked, this,
                [this, &controls] { readCableSetting(controls.setting, controls.field); });
        connect(button(controls.writeButton), &QPushButton::clicked, this,
                [this, &controls] { writeCableSetting(controls.setting, controls.field); });
    }
}

void MainDialog::readCableSetting(device::CableSetting setting, int fieldId)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto value = exchange(*address, device::cableRead(setting));
    if (!value)
        return;
    if (*value)
        edit(fieldId)->setText(fromDeviceText(device::cableValueText(setting, **value)));
    else
        showMessage(fromDeviceText(device::cableParameter(setting).readFailureText));
}

void MainDialog::writeCableSetting(device::CableSetting setting, int fieldId)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto value = accepted(cableEntry(*this, setting, fieldId));
    if (!value)
        return;
    const auto written = exchange(*address, device::cableWrite(setting, *value));
    if (!written)
        return;
    const device::CableParameter& parameter = device::cableParameter(setting);
    showMessage(fromDeviceText(*written ? parameter.writtenText : parameter.refusedText));
}

}  // namespace kt::ui
