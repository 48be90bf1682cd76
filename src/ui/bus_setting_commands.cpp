#include <QPushButton>

#include "device/bus_settings.h"
#include "ui/main_dialog.h"

namespace kt::ui {

// The console's port and its station address field stay as they are: the operator changes
// them when the controller has.
void MainDialog::connectBusSettingCommands()
{
    connect(button(SetDeviceBaudRateButton), &QPushButton::clicked, this, [this] {
        writeBusSetting(deviceBaudRateEntry(*this), device::deviceBaudRateWrite,
                        device::kBaudRateSetText, device::kBaudRateRefusedText);
    });
    connect(button(SetDeviceAddressButton), &QPushButton::clicked, this, [this] {
        writeBusSetting(newAddressEntry(*this), device::deviceAddressWrite,
                        device::kAddressSetText, device::kAddressRefusedText);
    });
}

template <typename Value>
void MainDialog::writeBusSetting(const FieldEntry<Value>& entry,
                                 device::Command<bool> (*command)(Value),
                                 std::string_view writtenText, std::string_view refusedText)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto value = accepted(entry);
    if (!value)
        return;
    if (const auto written = exchange(*address, command(*value)))
        showMessage(fromDeviceText(*written ? writtenText : refusedText));
}

}  // namespace kt::ui
