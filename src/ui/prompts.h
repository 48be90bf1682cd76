#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace kt::ui {

struct MessageBoxRequest {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

struct SaveFileRequest {
    QString initialPath;    // full path of the proposed file
    QString filter;         // e.g. "文本文件 (*.txt)"
    QString defaultSuffix;  // added when the operator types a name without one
};

// The one seam through which the console asks the operator anything: every message box and
// the file dialog. Production shows real modal boxes; tests substitute a recorder that reads
// the text and answers without a modal loop.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Shows a modal box with only an OK button and returns when it is dismissed.
    virtual void showMessage(QWidget* parent, const MessageBoxRequest& request) = 0;
    // Returns the chosen full path, or an empty string when the operator cancels.
    virtual QString chooseSaveFile(QWidget* parent, const SaveFileRequest& request) = 0;
};

// The real boxes and dialogs.
class WidgetPrompts final : public Prompts {
public:
    void showMessage(QWidget* parent, const MessageBoxRequest& request) override;
    QString chooseSaveFile(QWidget* parent, const SaveFileRequest& request) override;
};

}  // namespace kt::ui
