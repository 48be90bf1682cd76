#include "ui/bus_settings_part.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "device/bus_settings.h"
#include "ui/device_text.h"
#include "serial/line_speeds.h"

namespace kt::ui {

BusSettingsPart::BusSettingsPart(WindowContext& context, WindowLayout& layout)
    : context_(context), band_(layout)
{
    ControlMaker& make = band_.controls();
    make.label("波特率：");
    rateList_ = make.rateList(DeviceBaudRateList);
    QPushButton* setBaudRate = make.button(SetDeviceBaudRateButton, "设置波特率");
    make.label("地址：");
    newAddress_ = make.field(NewAddressField, 4);
    QPushButton* setAddress = make.button(SetDeviceAddressButton, "设置地址");

    rateList_->setCurrentIndex(static_cast<int>(serial::kDefaultLineSpeedIndex));
    newAddress_->setText(QStringLiteral("1"));

    QObject::connect(setBaudRate, &QPushButton::clicked, [this] {
        writeSetting(baudRateEntry(*rateList_), device::deviceBaudRateWrite,
                     device::kBaudRateSetText, device::kBaudRateRefusedText);
    });
    QObject::connect(setAddress, &QPushButton::clicked, [this] {
        writeSetting(addressEntry(*newAddress_), device::deviceAddressWrite,
                     device::kAddressSetText, device::kAddressRefusedText);
    });
}

template <typename Value>
void BusSettingsPart::writeSetting(const FieldEntry<Value>& entry,
                                   device::Command<bool> (*command)(Value),
                                   std::string_view writtenText, std::string_view refusedText)
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    const auto value = context_.accepted(entry);
    if (!value)
        return;
    if (const auto written = context_.exchange(*address, command(*value)))
        context_.showMessage(fromDeviceText(*written ? writtenText : refusedText));
}

}  // namespace kt::ui
