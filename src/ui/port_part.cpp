#include "ui/port_part.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/failure_text.h"
#include "link/open_failure_text.h"
#include "serial/line_speeds.h"
#include "ui/device_text.h"
#include "ui/lamp_images.h"
#include "ui/port_number_combo_box.h"

namespace kt::ui {
namespace {

constexpr QStringView kOpenPort = u"打开串口";
constexpr QStringView kClosePort = u"关闭串口";
// What the lamp's picture means, for assistive tools.
constexpr QStringView kPortOpenLamp = u"串口已打开";
constexpr QStringView kPortClosedLamp = u"串口已关闭";

// The index of the item the operator picked; -1 once they have typed their own text, since
// then no item is selected.
int selectedItem(const QComboBox& list)
{
    const int index = list.currentIndex();
    return index >= 0 && list.itemText(index) == list.currentText() ? index : -1;
}

}  // namespace

PortPart::PortPart(WindowContext& context, WindowLayout& layout, const LampImages& images)
    : context_(context), images_(images)
{
    RowBand band(layout);
    ControlMaker& make = band.controls();
    make.label("串口号：");
    portList_ = make.portList(PortNumberList);
    make.label("波特率：");
    rateList_ = make.rateList(PortBaudRateList);
    make.label("地址：");
    stationAddress_ = make.field(StationAddressField, 4);
    lamp_ = make.lamp(PortLamp, "串口状态");
    button_ = make.button(PortButton, "打开串口");

    rateList_->setCurrentIndex(static_cast<int>(serial::kDefaultLineSpeedIndex));
    stationAddress_->setText(QStringLiteral("1"));
    context_.setStationAddressField(*stationAddress_);
    showPortState();
    QObject::connect(button_, &QPushButton::clicked, [this] { openClosePort(); });
}

void PortPart::openClosePort()
{
    if (context_.isPortOpen()) {
        if (!context_.portIsFree())
            return;
        context_.setPort(nullptr);
        showPortState();
        return;
    }
    const int portNumber = selectedItem(*portList_) + 1;
    const int rateIndex = selectedItem(*rateList_);
    const int lineSpeed =
        rateIndex >= 0 ? serial::kLineSpeeds[static_cast<std::size_t>(rateIndex)] : 0;
    serial::OpenResult opened = serial::openSerialPort(portNumber, lineSpeed);
    if (!opened.port) {
        // The fixed text, then what this machine found.
        const std::string portName = portList_->currentText().toStdString();
        context_.showMessage(
            fromDeviceText(link::kPortOpenFailureText) + u'\n'
            + fromDeviceText(link::openFailureDetail(opened.failure, portName, lineSpeed)));
        return;
    }
    context_.setPort(std::move(opened.port));
    showPortState();
}

void PortPart::showPortState()
{
    const bool open = context_.isPortOpen();
    button_->setText((open ? kClosePort : kOpenPort).toString());
    showLamp(*lamp_, open ? images_.portOpenIcon : images_.portClosedIcon,
             open ? kPortOpenLamp : kPortClosedLamp);
}

}  // namespace kt::ui
