#include "ui/window_context.h"

#include <QCoreApplication>
#include <QLineEdit>

#include "link/failure_text.h"
#include "ui/device_text.h"
#include "ui/messages.h"

namespace kt::ui {

WindowContext::WindowContext(QWidget& window, Prompts& prompts, TrafficLog& trafficLog)
    : window_(window), prompts_(prompts), commandTraffic_(trafficLog, TrafficSource::Command)
{
}

WindowContext::~WindowContext() = default;

void WindowContext::showMessage(QStringView text) const
{
    prompts_.showMessage(&window_, {QCoreApplication::applicationName(), text.toString(),
                                    QMessageBox::NoIcon});
}

bool WindowContext::portIsFree() const
{
    const auto reason = guard_.busyReason();
    if (reason)
        showMessage(*reason);
    return !reason;
}

void WindowContext::showStationAddress(int address)
{
    stationAddressField_->setText(QString::number(address));
}

std::optional<std::uint8_t> WindowContext::beginStandardCommand()
{
    if (!isPortOpen()) {
        showMessage(text::kOpenPortFirst);
        return std::nullopt;
    }
    return stationAddressForFreePort();
}

std::optional<std::uint8_t> WindowContext::stationAddressForFreePort()
{
    if (!portIsFree())
        return std::nullopt;
    return accepted(addressEntry(*stationAddressField_));
}

void WindowContext::showFailure(link::Failure failure) const
{
    showMessage(fromDeviceText(link::standardFailureText(failure)));
}

}  // namespace kt::ui
