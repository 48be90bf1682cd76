#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <string_view>

#include "device/bus_settings.h"
#include "device/text_entry.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

// A write of one of the controller's own communication settings. The console's port and its
// station address field stay as they are: the operator changes them when the controller has.
struct BusSettingCommand {
    int buttonId;
    int entryId;  // the list or field holding the new value
    // The request for the typed value, or none when the value does not fit the register.
    std::optional<device::Bytes> (*requestFor)(std::string_view entry);
    QStringView rangeText;
    QStringView successText;
    QStringView failureText;
};

namespace {

std::optional<device::Bytes> baudRateRequest(std::string_view entry)
{
    const auto rate = device::parseWordEntry(entry);
    if (!rate)
        return std::nullopt;
    return device::deviceBaudRateWriteRequest(*rate);
}

std::optional<device::Bytes> busAddressRequest(std::string_view entry)
{
    const auto newAddress = device::parseStationAddress(entry);
    if (!newAddress)
        return std::nullopt;
    return device::deviceAddressWriteRequest(*newAddress);
}

const std::array<BusSettingCommand, 2> kBusSettingCommands{{
    {SetDeviceBaudRateButton, DeviceBaudRateList, baudRateRequest, text::kWordRange,
     u"设置波特率成功!!!", u"设置波特率失败!!!"},
    {SetDeviceAddressButton, NewAddressField, busAddressRequest, text::kAddressRange,
     u"设置地址成功!!!", u"设置地址失败!!!"},
}};

}  // namespace

void MainDialog::connectBusSettingCommands()
{
    for (const BusSettingCommand& command : kBusSettingCommands) {
        connect(button(command.buttonId), &QPushButton::clicked, this,
                [this, &command] { writeBusSetting(command); });
    }
}

void MainDialog::writeBusSetting(const BusSettingCommand& command)
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    // The rate list is editable: its current text counts, whether picked or typed.
    const QComboBox* list = dropDown(command.entryId);
    const QString entry = list ? list->currentText() : edit(command.entryId)->text();
    const auto request = command.requestFor(entry.toStdString());
    if (!request) {
        showMessage(command.rangeText);
        return;
    }
    const auto reply = exchange(*address, *request, device::kBusSettingReplyLength);
    if (!reply)
        return;
    showMessage(device::isWriteAccepted(*reply) ? command.successText : command.failureText);
}

}  // namespace kt::ui
