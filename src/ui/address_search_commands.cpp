#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "device/address_probe.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

namespace kt::ui {

void MainDialog::connectAddressSearch()
{
    connect(button(SearchButton), &QPushButton::clicked, this, &MainDialog::searchAddress);
}

void MainDialog::searchAddress()
{
    if (!port_) {
        showMessage(text::kOpenPortFirstPlain);
        return;
    }
    QPushButton* searchButton = button(SearchButton);
    if (searchButton->text() != text::kSearchAddress) {
        searchButton->setText(text::kSearchAddress.toString());
        searchWorker_.stop();
        return;
    }
    if (const auto reason = portBusyReason()) {
        showMessage(*reason);
        return;
    }

    searchShared_.resultText = {};
    searchWorker_.start([this, link = link::Link(*port_, &searchTraffic_)]() mutable {
        runSearchWorker(link, searchShared_, searchWorker_,
                        {.showProgress = [this] { showSearchProgress(); },
                         .showFoundAddress = [this] { showFoundAddress(); }});
    });
    searchButton->setText(text::kStopSearch.toString());
}

void MainDialog::showSearchProgress()
{
    QLabel* result = label(SearchResultText);
    if (searchShared_.progressText == kSearchingText)
        result->setText(kSearchingText.toString());
    // A probe that was under way when the search was stopped.
    if (button(SearchButton)->text() == text::kSearchAddress)
        result->clear();
    if (searchShared_.resultText == device::kAddressNotFoundText) {
        showMessage(fromDeviceText(device::kAddressNotFoundText));
        result->setText(QStringLiteral("未找到"));
        button(SearchButton)->setText(text::kSearchAddress.toString());
    }
}

void MainDialog::showFoundAddress()
{
    const int address = searchShared_.foundAddress;
    prompts_->showMessage(this, {QStringLiteral("提示"),
                                 QStringLiteral("产品地址为：%1").arg(address),
                                 QMessageBox::Information});
    label(SearchResultText)->setText(QStringLiteral("地址%1").arg(address));
    edit(StationAddressField)->setText(QString::number(address));
    button(SearchButton)->setText(text::kSearchAddress.toString());
}

}  // namespace kt::ui
