#include "ui/port_number_combo_box.h"

#include "serial/serial_port.h"

namespace kt::ui {

PortNumberComboBox::PortNumberComboBox(QWidget* parent) : QComboBox(parent)
{
    for (int portNumber = 1; portNumber <= kPortCount; ++portNumber)
        addItem(QStringLiteral("COM%1").arg(portNumber));
    refreshDeviceTips();
}

void PortNumberComboBox::refreshDeviceTips()
{
    for (int index = 0; index < count(); ++index) {
        const std::string device = serial::portDevicePath(index + 1);
        const QString tip = device.empty() ? QStringLiteral("未找到设备")
                                           : QString::fromStdString(device);
        setItemData(index, tip, Qt::ToolTipRole);
    }
}

void PortNumberComboBox::showPopup()
{
    refreshDeviceTips();
    QComboBox::showPopup();
}

}  // namespace kt::ui
