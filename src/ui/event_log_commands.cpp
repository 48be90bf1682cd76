// The event log buttons: how many events the controller holds, clearing them, and
// downloading them into the event table and, while the save-log box is ticked, the export file.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <chrono>
#include <thread>

#include "device/frames.h"
#include "device/log_count.h"
#include "device/log_download.h"
#include "ui/device_text.h"
#include "ui/log_export.h"
#include "ui/main_dialog.h"

namespace kt::ui {
namespace {

constexpr QStringView kClearAccepted = u"清除日志成功!!!";
constexpr QStringView kClearRefused = u"清除日志失败!!!";
constexpr QStringView kSaveLogFailed = u"保存日志失败!!!";

}  // namespace

void MainDialog::connectEventLogCommands()
{
    connect(button(ReadLogCountButton), &QPushButton::clicked, this, &MainDialog::readLogCount);
    connect(button(ClearLogButton), &QPushButton::clicked, this, &MainDialog::clearLog);
    connect(button(ReadLogButton), &QPushButton::clicked, this, &MainDialog::downloadLog);
    // Clicked, not toggled: unticking the box after a cancelled dialog must not reopen it.
    connect(checkBox(SaveLogCheckBox), &QCheckBox::clicked, this, &MainDialog::chooseLogFile);
}

std::optional<std::uint16_t> MainDialog::askLogCount(std::uint8_t stationAddress)
{
    const auto reply =
        exchange(stationAddress, device::logCountRequest(), device::kLogCountReplyLength);
    if (!reply)
        return std::nullopt;
    return device::logCount(*reply);
}

void MainDialog::readLogCount()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    if (const auto count = askLogCount(*address))
        edit(LogCountField)->setText(QString::number(*count));
}

void MainDialog::clearLog()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto reply = exchange(*address, device::logClearRequest(), device::kLogClearReplyLength);
    if (reply)
        showMessage(device::isWriteAccepted(*reply) ? kClearAccepted : kClearRefused);
}

// The count field is left alone: it shows only what the count button read.
void MainDialog::downloadLog()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    const auto count = askLogCount(*address);
    if (!count)
        return;
    eventTable()->setRowCount(0);
    logExportPath_ =
        checkBox(SaveLogCheckBox)->isChecked() ? edit(ExportPathField)->text() : QString();

    // Only the drain of the command's start: the second block follows the pause directly.
    bool everyLineSaved = true;
    for (const device::LogBlock& block : device::logDownloadPlan(*count)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(block.pauseBeforeMs));
        const auto reply = exchange(*address, device::logBlockRequest(block), block.replyLength);
        if (!reply)
            break;
        for (int index = 0; index < block.recordCount; ++index) {
            const device::LogRecord record = device::logRecordInBlock(*reply, index);
            if (!showLogRow(device::logRow(block.firstRow + index, record)))
                everyLineSaved = false;
        }
    }
    if (!everyLineSaved)
        showMessage(kSaveLogFailed);
}

bool MainDialog::showLogRow(const device::LogRow& row)
{
    QTableWidget* table = eventTable();
    const int position = table->rowCount();
    table->insertRow(position);
    int column = 0;
    for (std::string_view text : row.inColumnOrder()) {
        table->setItem(position, column++, new QTableWidgetItem(fromDeviceText(text)));
    }
    // Each row tries the file afresh, so one failed line does not cost the rest.
    return logExportPath_.isEmpty() || appendExportLine(logExportPath_, row);
}

}  // namespace kt::ui
