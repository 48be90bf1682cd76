#pragma once

#include <QTimer>
#include <QWidget>

#include "ui/prompts.h"
#include "ui/traffic_log.h"
#include "ui/traffic_table_model.h"

class QLabel;
class QPushButton;
class QTableView;

namespace kt::ui {

// The communication log's own window, beside the main window and not modal. It shows the log
// as it grows, pulling new rows at most ten times a second while it is shown; pausing stops
// the view, not the recording.
class TrafficLogWindow final : public QWidget {
    Q_OBJECT

public:
    TrafficLogWindow(TrafficLog& log, Prompts& prompts, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* pauseButton() const { return pauseButton_; }
    QPushButton* clearButton() const { return clearButton_; }
    QPushButton* copyButton() const { return copyButton_; }
    QPushButton* saveButton() const { return saveButton_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    void display(TrafficSnapshot latest);
    void pauseOrResume();
    void clearLog();
    void copySelectedRows();
    void saveRows();

    TrafficLog& log_;
    Prompts& prompts_;
    TrafficTableModel model_;
    QTimer refreshTimer_;
    bool paused_ = false;
    QTableView* table_;
    QLabel* summary_;
    QPushButton* pauseButton_;
    QPushButton* clearButton_;
    QPushButton* copyButton_;
    QPushButton* saveButton_;
};

}  // namespace kt::ui
