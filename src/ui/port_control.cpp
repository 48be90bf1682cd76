#include <QComboBox>
#include <QPushButton>
#include <array>
#include <utility>

#include "link/failure_text.h"
#include "link/open_failure_text.h"
#include "serial/line_speeds.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {
namespace {

// The index of the item the operator picked; -1 once they have typed their own text, since
// then no item is selected.
int selectedItem(const QComboBox& list)
{
    const int index = list.currentIndex();
    return index >= 0 && list.itemText(index) == list.currentText() ? index : -1;
}

}  // namespace

void MainDialog::openClosePort()
{
    QPushButton* portButton = button(PortButton);
    if (portButton->text() == text::kOpenPort) {
        const int portNumber = selectedItem(*dropDown(PortNumberList)) + 1;
        const int rateIndex = selectedItem(*dropDown(PortBaudRateList));
        const int lineSpeed = rateIndex >= 0 ? serial::kLineSpeeds[static_cast<std::size_t>(rateIndex)] : 0;
        serial::OpenResult opened = serial::openSerialPort(portNumber, lineSpeed);
        if (!opened.port) {
            // The fixed text, then what this machine found.
            const std::string portName = dropDown(PortNumberList)->currentText().toStdString();
            showMessage(fromDeviceText(link::kPortOpenFailureText) + u'\n'
                        + fromDeviceText(link::openFailureDetail(opened.failure, portName, lineSpeed)));
            return;
        }
        port_ = std::move(opened.port);
        portButton->setText(text::kClosePort.toString());
        setLamp(PortLamp, images_.portOpenIcon, text::kPortOpenLamp);
        return;
    }

    if (const auto reason = portBusyReason()) {
        showMessage(*reason);
        return;
    }
    portButton->setText(text::kOpenPort.toString());
    port_.reset();
    setLamp(PortLamp, images_.portClosedIcon, text::kPortClosedLamp);
}

}  // namespace kt::ui
