// The opening and the failure report that the window's command handlers share.
#include <QPushButton>

#include "link/failure_text.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"
#include "ui/port_guard.h"

namespace kt::ui {

std::optional<QStringView> MainDialog::portBusyReason() const
{
    return ui::portBusyReason(
        {*button(MonitorButton), monitorWorker_, *button(SearchButton), searchWorker_});
}

std::optional<std::uint8_t> MainDialog::beginStandardCommand()
{
    if (!port_) {
        showMessage(text::kOpenPortFirst);
        return std::nullopt;
    }
    if (const auto reason = portBusyReason()) {
        showMessage(*reason);
        return std::nullopt;
    }
    return accepted(stationAddressEntry(*this));
}

std::optional<std::uint8_t> MainDialog::stationAddressForFreePort()
{
    if (const auto reason = portBusyReason()) {
        showMessage(*reason);
        return std::nullopt;
    }
    return accepted(stationAddressEntry(*this));
}

void MainDialog::showFailure(link::Failure failure)
{
    showMessage(fromDeviceText(link::standardFailureText(failure)));
}

}  // namespace kt::ui
