#include "ui/port_guard.h"

#include <QPushButton>

#include "ui/messages.h"

namespace kt::ui {

std::optional<QStringView> portBusyReason(const PortUsers& users)
{
    if (users.monitorButton.text() == text::kStopMonitoring || users.monitorWorker.isActive())
        return text::kStopMonitoringFirst;
    if (users.searchButton.text() == text::kStopSearch || users.searchWorker.isActive())
        return text::kStopSearchFirst;
    return std::nullopt;
}

}  // namespace kt::ui
