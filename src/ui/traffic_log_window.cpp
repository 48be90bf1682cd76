#include "ui/traffic_log_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/startup_directory.h"
#include "ui/traffic_log_text.h"

namespace kt::ui {
namespace {

constexpr int kRefreshIntervalMs = 100;  // at most ten refreshes a second
constexpr QStringView kPause = u"暂停";
constexpr QStringView kResume = u"继续";
constexpr QStringView kSaveFailed = u"保存通讯记录失败!!!";

// The time, the names and the verdicts fit; a long frame is cut until its column is widened.
constexpr int kColumnWidths[kTrafficColumnCount] = {110, 50, 50, 330, 170, 90};

}  // namespace

TrafficLogWindow::TrafficLogWindow(TrafficLog& log, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      prompts_(prompts),
      table_(new QTableView(this)),
      summary_(new QLabel(this)),
      pauseButton_(new QPushButton(kPause.toString(), this)),
      clearButton_(new QPushButton(QStringLiteral("清空"), this)),
      copyButton_(new QPushButton(QStringLiteral("复制选中行"), this)),
      saveButton_(new QPushButton(QStringLiteral("保存..."), this))
{
    setWindowTitle(QStringLiteral("通讯记录"));

    table_->setModel(&model_);
    table_->setAccessibleName(QStringLiteral("通讯记录"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    // Fixed sizes: the view never measures its rows' texts.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    for (int column = 0; column < kTrafficColumnCount; ++column)
        table_->setColumnWidth(column, kColumnWidths[column]);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(summary_, 1);
    for (QPushButton* button : {pauseButton_, clearButton_, copyButton_, saveButton_}) {
        button->setAutoDefault(false);
        controls->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(controls);
    resize(860, 420);

    connect(pauseButton_, &QPushButton::clicked, this, &TrafficLogWindow::pauseOrResume);
    connect(clearButton_, &QPushButton::clicked, this, &TrafficLogWindow::clearLog);
    connect(copyButton_, &QPushButton::clicked, this, &TrafficLogWindow::copySelectedRows);
    connect(saveButton_, &QPushButton::clicked, this, &TrafficLogWindow::saveRows);
    refreshTimer_.setInterval(kRefreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &TrafficLogWindow::refresh);
    display(log_.snapshot());
}

void TrafficLogWindow::showEvent(QShowEvent* event)
{
    refresh();
    refreshTimer_.start();
    QWidget::showEvent(event);
}

void TrafficLogWindow::hideEvent(QHideEvent* event)
{
    refreshTimer_.stop();
    QWidget::hideEvent(event);
}

void TrafficLogWindow::refresh()
{
    if (!paused_)
        display(log_.snapshot());
}

void TrafficLogWindow::display(TrafficSnapshot latest)
{
    // A view scrolled to its end follows the new rows.
    const QScrollBar* scroll = table_->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    summary_->setText(QStringLiteral("共 %1 行，已丢弃最早的 %2 行")
                          .arg(latest.size())
                          .arg(latest.droppedCount()));
    model_.show(std::move(latest));
    if (following)
        table_->scrollToBottom();
}

void TrafficLogWindow::pauseOrResume()
{
    paused_ = !paused_;
    pauseButton_->setText((paused_ ? kResume : kPause).toString());
    refresh();
}

void TrafficLogWindow::clearLog()
{
    log_.clear();
    display(log_.snapshot());
}

void TrafficLogWindow::copySelectedRows()
{
    QModelIndexList selected = table_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex& index : selected)
        lines << QString::fromStdString(link::trafficLine(model_.row(index.row())));
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void TrafficLogWindow::saveRows()
{
    const QString path = prompts_.chooseSaveFile(
        this, {fileInDirectory(startupDirectory(), QStringLiteral("通讯记录.txt")),
               QStringLiteral("文本文件 (*.txt)"), QStringLiteral("txt")});
    if (path.isEmpty() || saveTrafficLog(path, model_.rows()))
        return;
    prompts_.showMessage(
        this, {QApplication::applicationName(), kSaveFailed.toString(), QMessageBox::NoIcon});
}

}  // namespace kt::ui
