#pragma once

#include <QDialog>

class QIcon;
class QPushButton;

namespace kt::ui {

// The small box that names the console and its version.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const QIcon& appIcon, QWidget* parent = nullptr);

    QPushButton* okButton() const { return okButton_; }

private:
    QPushButton* okButton_;
};

}  // namespace kt::ui
