#include "ui/main_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "ui/traffic_log_window.h"

namespace kt::ui {

MainDialog::MainDialog(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts ? std::move(prompts) : std::make_unique<WidgetPrompts>()),
      images_(LampImages::create()),
      context_(*this, *prompts_, trafficLog_),
      layout_(*this),
      port_(context_, layout_, images_),
      busSettings_(context_, layout_),
      addressSearch_(context_, busSettings_.row(), trafficLog_),
      cable_(context_, layout_),
      zeroCalibration_(context_, cable_.zeroCalibrationRow()),
      clock_(context_, layout_),
      monitoring_(context_, layout_, images_, trafficLog_),
      eventLog_(context_, layout_)
{
    setWindowTitle(QStringLiteral("KT_5270"));
    // A fixed window that can be minimised but not maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(images_.appIcon);
    setFocusOrder();
    addTrafficLogAction();
}

MainDialog::~MainDialog() = default;

QWidget* MainDialog::control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

QLineEdit* MainDialog::edit(int id) const { return qobject_cast<QLineEdit*>(control(id)); }
QComboBox* MainDialog::dropDown(int id) const { return qobject_cast<QComboBox*>(control(id)); }
QPushButton* MainDialog::button(int id) const { return qobject_cast<QPushButton*>(control(id)); }
QLabel* MainDialog::label(int id) const { return qobject_cast<QLabel*>(control(id)); }
QCheckBox* MainDialog::checkBox(int id) const { return qobject_cast<QCheckBox*>(control(id)); }
QTableWidget* MainDialog::eventTable() const
{
    return qobject_cast<QTableWidget*>(control(EventTable));
}

// The focus moves through the controls in ascending order of their ids, whatever band made
// them. Labels, texts and lamps take no focus, and the hidden single poll button is never
// offered.
void MainDialog::setFocusOrder()
{
    ControlList focusable;
    for (QWidget* control : layout_.controls()) {
        if ((control->focusPolicy() & Qt::TabFocus) && !control->isHidden())
            focusable.push_back(control);
    }
    std::ranges::stable_sort(focusable, {}, [](const QWidget* control) { return control->objectName().toInt(); });
    QWidget* previous = nullptr;
    for (QWidget* next : focusable) {
        if (previous)
            setTabOrder(previous, next);
        else
            next->setFocus();
        previous = next;
    }
}

}  // namespace kt::ui
