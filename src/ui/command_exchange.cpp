#include <QLineEdit>
#include <QPushButton>

#include "device/text_entry.h"
#include "serial/exchange.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

std::optional<QStringView> MainDialog::portBusyReason() const
{
    // A stopped worker keeps the port until it has really ended.
    if (button(MonitorButton)->text() == text::kStopMonitoring || monitorWorker_.isActive())
        return text::kStopMonitoringFirst;
    if (button(SearchButton)->text() == text::kStopSearch || searchWorker_.isActive())
        return text::kStopSearchFirst;
    return std::nullopt;
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
    serial::drainInput(*port_);
    return stationAddress();
}

std::optional<std::uint8_t> MainDialog::stationAddressForFreePort()
{
    if (const auto reason = portBusyReason()) {
        showMessage(*reason);
        return std::nullopt;
    }
    return stationAddress();
}

std::optional<std::uint8_t> MainDialog::stationAddress()
{
    const auto address =
        device::parseStationAddress(edit(StationAddressField)->text().toStdString());
    if (!address)
        showMessage(text::kAddressRange);
    return address;
}

std::optional<device::Bytes> MainDialog::exchange(std::uint8_t stationAddress,
                                                  const device::Bytes& commandBytes,
                                                  std::size_t replyLength)
{
    serial::Reply reply =
        serial::transact(*port_, serial::frameRequest(stationAddress, commandBytes), replyLength);
    switch (reply.status) {
    case serial::ReplyStatus::ShortReply:
        showMessage(text::kReadDataError);
        return std::nullopt;
    case serial::ReplyStatus::BadChecksum:
        showMessage(text::kChecksumError);
        return std::nullopt;
    case serial::ReplyStatus::Accepted:
        break;
    }
    return std::move(reply.bytes);
}

}  // namespace kt::ui
