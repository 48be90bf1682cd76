// The event log buttons: how many events the controller holds, clearing them, and
// downloading them into the event table and, while the save-log box is ticked, the export file.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "device/log_count.h"
#include "device/log_export.h"
#include "link/log_download.h"
#include "ui/export_file.h"
#include "ui/main_dialog.h"

namespace kt::ui {

void MainDialog::connectEventLogCommands()
{
    connect(button(ReadLogCountButton), &QPushButton::clicked, this, &MainDialog::readLogCount);
    connect(button(ClearLogButton), &QPushButton::clicked, this, &MainDialog::clearLog);
    connect(button(ReadLogButton), &QPushButton::clicked, this, &MainDialog::downloadLog);
    // Clicked, not toggled: unticking the box after a cancelled dialog must not reopen it.
    connect(checkBox(SaveLogCheckBox), &QCheckBox::clicked, this, &MainDialog::chooseLogFile);
}

void MainDialog::readLogCount()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    if (const auto count = exchange(*address, device::logCountRead()))
        edit(LogCountField)->setText(QString::number(*count));
}

void MainDialog::clearLog()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    if (const auto cleared = exchange(*address, device::logClear()))
        showMessage(fromDeviceText(*cleared ? device::kLogClearAcceptedText
                                           : device::kLogClearRefusedText));
}

// The count field is left alone: it shows only what the count button read.
void MainDialog::downloadLog()
{
    const auto address = beginStandardCommand();
    if (!address)
        return;
    bool everyLineSaved = true;
    link::Link link = commandLink();
    const auto failure = link::downloadLog(
        link, *address,
        {.countRead =
             [this](std::uint16_t) {
                 eventTable()->setRowCount(0);
                 logExportPath_ = checkBox(SaveLogCheckBox)->isChecked()
                                      ? edit(ExportPathField)->text()
                                      : QString();
             },
         .recordsRead =
             [this, &everyLineSaved](int firstRow, std::span<const device::LogRecord> records) {
                 for (const device::LogRecord& record : records) {
                     if (!showLogRow(device::logRow(firstRow++, record)))
                         everyLineSaved = false;
                 }
             }});
    if (failure)
        showFailure(*failure);
    if (!everyLineSaved)
        showMessage(fromDeviceText(device::kLogSaveFailedText));
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
