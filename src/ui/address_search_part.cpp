#include "ui/address_search_part.h"

#include <QLabel>
#include <QPushButton>

#include "device/address_probe.h"
#include "ui/device_text.h"
#include "ui/messages.h"
#include "ui/window_layout.h"

namespace kt::ui {
namespace {

constexpr QStringView kSearchAddress = u"搜索地址";
constexpr QStringView kStopSearch = u"停止搜索";

}  // namespace

AddressSearchPart::AddressSearchPart(WindowContext& context, ControlMaker& row,
                                     TrafficLog& trafficLog)
    : context_(context),
      button_(row.button(SearchButton, "搜索地址")),
      result_(row.text(SearchResultText, 0, "搜索结果")),
      traffic_(trafficLog, TrafficSource::Search)
{
    context_.guard().addUser(worker_, u"请先停止搜索!!!");
    QObject::connect(button_, &QPushButton::clicked, [this] { startStop(); });
}

void AddressSearchPart::startStop()
{
    if (!context_.isPortOpen()) {
        context_.showMessage(text::kOpenPortFirstPlain);
        return;
    }
    if (worker_.state() == WorkerState::Running) {
        worker_.stop();
        showWorkerState();
        return;
    }
    if (!context_.portIsFree())
        return;
    worker_.start([this, link = context_.link(traffic_)]() mutable {
        runSearchWorker(link, shared_, worker_,
                        {.showProgress = [this] { showProgress(); },
                         .showOutcome = [this] { showOutcome(); }});
    });
    showWorkerState();
}

// A probe that was under way when the search was stopped empties the result.
void AddressSearchPart::showProgress()
{
    if (worker_.state() == WorkerState::Running)
        result_->setText(QStringLiteral("查找中..."));
    else
        result_->clear();
}

void AddressSearchPart::showOutcome()
{
    const link::SearchOutcome& outcome = shared_.outcome;
    if (outcome.end == link::SearchEnd::Found) {
        context_.prompts().showMessage(&context_.window(),
                                       {QStringLiteral("提示"),
                                        QStringLiteral("产品地址为：%1").arg(outcome.address),
                                        QMessageBox::Information});
        result_->setText(QStringLiteral("地址%1").arg(outcome.address));
        context_.showStationAddress(outcome.address);
    } else {
        context_.showMessage(fromDeviceText(device::kAddressNotFoundText));
        result_->setText(QStringLiteral("未找到"));
    }
    worker_.stop();  // its work is done
    showWorkerState();
}

void AddressSearchPart::showWorkerState()
{
    button_->setText(
        (worker_.state() == WorkerState::Running ? kStopSearch : kSearchAddress).toString());
}

}  // namespace kt::ui
