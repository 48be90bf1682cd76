#include "ui/event_log_part.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "device/log_count.h"
#include "device/log_export.h"
#include "link/log_download.h"
#include "ui/device_text.h"
#include "ui/export_file.h"
#include "ui/startup_directory.h"

namespace kt::ui {
namespace {

struct EventColumn {
    const char* heading;
    int width;
};

constexpr EventColumn kEventColumns[] = {
    {"日志编号", 60}, {"告警时间", 180}, {"通道", 62}, {"告警类型", 133}, {"浸水点(米)", 134},
};
constexpr int kVisibleEventRows = 6;

QTableWidget* createEventTable(QWidget& parent)
{
    auto* table = new QTableWidget(0, std::ssize(kEventColumns), &parent);
    table->setObjectName(QString::number(EventTable));
    table->setAccessibleName(QStringLiteral("日志列表"));
    QStringList headings;
    for (const EventColumn& column : kEventColumns)
        headings << QString::fromUtf8(column.heading);
    table->setHorizontalHeaderLabels(headings);
    for (int column = 0; column < std::ssize(kEventColumns); ++column)
        table->setColumnWidth(column, kEventColumns[column].width);

    QHeaderView* header = table->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    table->verticalHeader()->hide();
    table->setShowGrid(true);
    table->setSortingEnabled(false);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control instead of walking its cells.
    table->setTabKeyNavigation(false);
    table->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Rows as compact as a list: one line of text each.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setFixedHeight(header->sizeHint().height()
                          + kVisibleEventRows * table->verticalHeader()->defaultSectionSize()
                          + 2 * table->frameWidth());
    return table;
}

}  // namespace

EventLogPart::EventLogPart(WindowContext& context, WindowLayout& layout) : context_(context)
{
    RowBand band(layout);
    ControlMaker& make = band.controls();
    make.label("日志数量：");
    count_ = make.field(LogCountField, 5);
    make.staticText("条");
    QPushButton* readCountButton = make.button(ReadLogCountButton, "读取条数");
    QPushButton* clearButton = make.button(ClearLogButton, "清除日志");
    QPushButton* downloadButton = make.button(ReadLogButton, "读取日志");
    saveLog_ = make.checkBox(SaveLogCheckBox, "保存日志");
    exportPathField_ = make.readOnlyField(ExportPathField, "日志文件路径");

    table_ = createEventTable(layout.window());
    layout.bands().addWidget(table_);
    layout.controls().push_back(table_);

    QObject::connect(readCountButton, &QPushButton::clicked, [this] { readCount(); });
    QObject::connect(clearButton, &QPushButton::clicked, [this] { clear(); });
    QObject::connect(downloadButton, &QPushButton::clicked, [this] { download(); });
    // Clicked, not toggled: unticking the box after a cancelled dialog must not reopen it.
    QObject::connect(saveLog_, &QCheckBox::clicked, [this] { chooseExportFile(); });
}

void EventLogPart::readCount()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    if (const auto count = context_.exchange(*address, device::logCountRead()))
        count_->setText(QString::number(*count));
}

void EventLogPart::clear()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    if (const auto cleared = context_.exchange(*address, device::logClear()))
        context_.showMessage(fromDeviceText(*cleared ? device::kLogClearAcceptedText
                                                     : device::kLogClearRefusedText));
}

// The count field is left alone: it shows only what the count button read.
void EventLogPart::download()
{
    const auto address = context_.beginStandardCommand();
    if (!address)
        return;
    bool everyLineSaved = true;
    link::Link link = context_.commandLink();
    const auto failure = link::downloadLog(
        link, *address,
        {.countRead =
             [this](std::uint16_t) {
                 table_->setRowCount(0);
                 exportPath_ = saveLog_->isChecked() ? exportPathField_->text() : QString();
             },
         .recordsRead =
             [this, &everyLineSaved](int firstRow, std::span<const device::LogRecord> records) {
                 for (const device::LogRecord& record : records) {
                     if (!showRow(device::logRow(firstRow++, record)))
                         everyLineSaved = false;
                 }
             }});
    if (failure)
        context_.showFailure(*failure);
    if (!everyLineSaved)
        context_.showMessage(fromDeviceText(device::kLogSaveFailedText));
}

bool EventLogPart::showRow(const device::LogRow& row)
{
    const int position = table_->rowCount();
    table_->insertRow(position);
    int column = 0;
    for (std::string_view text : row.inColumnOrder())
        table_->setItem(position, column++, new QTableWidgetItem(fromDeviceText(text)));
    // Each row tries the file afresh, so one failed line does not cost the rest.
    return exportPath_.isEmpty() || appendExportLine(exportPath_, row);
}

void EventLogPart::chooseExportFile()
{
    // Unticked: the path stays on view, and the next download ignores it.
    if (!saveLog_->isChecked())
        return;
    const QString chosen = context_.prompts().chooseSaveFile(
        &context_.window(), {defaultExportPath(startupDirectory()),
                             QStringLiteral("文本文件 (*.txt)"), QStringLiteral("txt")});
    // A ticked box always stands beside a chosen file.
    if (chosen.isEmpty())
        saveLog_->setChecked(false);
    exportPathField_->setText(QDir::toNativeSeparators(chosen));
}

}  // namespace kt::ui
