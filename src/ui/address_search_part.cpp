#include "ui/address_search_part.h"

#include <QLabel>
#include <QPushButton>

#include "device/address_probe.h"
#include "ui/device_text.h"
#include "ui/window_layout.h"

namespace kt::ui {

AddressSearchPart::AddressSearchPart(WindowContext& context, ControlMaker& row,
                                     TrafficLog& trafficLog)
    : context_(context),
      traffic_(trafficLog, TrafficSource::Search),
      button_(context, *row.button(SearchButton, "搜索地址"),
              {.start = u"搜索地址", .stop = u"停止搜索", .busy = u"请先停止搜索!!!"})
{
    result_ = row.text(SearchResultText, 0, "搜索结果");
    QObject::connect(&button_.button(), &QPushButton::clicked, [this] { startStop(); });
}

void AddressSearchPart::startStop()
{
    if (!button_.pressStarts() || !context_.portIsFree())
        return;
    button_.start([this, link = context_.link(traffic_)]() mutable {
        runSearchWorker(link, shared_, button_.thread(),
                        {.showProgress = [this] { showProgress(); },
                         .showOutcome = [this] { showOutcome(); }});
    });
}

// A probe that was under way when the search was stopped empties the result.
void AddressSearchPart::showProgress()
{
    if (button_.isRunning())
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
    button_.ended();
}

}  // namespace kt::ui
