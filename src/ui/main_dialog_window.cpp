// The window's own behaviour: keys, the About box and the communication log.
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "serial/line_speeds.h"
#include "ui/about_dialog.h"
#include "ui/main_dialog.h"
#include "ui/traffic_log_window.h"

namespace kt::ui {
namespace {

// A field or the text part of a drop-down: where Enter ends the window.
bool isTextEntry(const QWidget* widget)
{
    if (qobject_cast<const QLineEdit*>(widget))
        return true;
    const auto* dropDown = qobject_cast<const QComboBox*>(widget);
    return dropDown && dropDown->isEditable();
}

}  // namespace

void MainDialog::keyPressEvent(QKeyEvent* event)
{
    const bool isEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isEnter) {
        QWidget* focused = focusWidget();
        // No button is the default, so Enter presses only the focused one.
        if (auto* button = qobject_cast<QPushButton*>(focused)) {
            button->click();
            return;
        }
        // Enter in a field ends the console at once, whatever is running.
        if (isTextEntry(focused)) {
            accept();
            return;
        }
    }
    // Esc rejects the dialog here.
    QDialog::keyPressEvent(event);
}

// The window manager offers no system menu to extend, so the About entry lives in the
// window's own context menu, beside the communication log's.
void MainDialog::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const QAction* about = menu.addAction(QStringLiteral("关于 KT_5270(&A)..."));
    menu.addAction(trafficLogAction_);
    if (menu.exec(event->globalPos()) == about)
        showAboutBox();
}

// A shortcut of the window's own, so that it works wherever the focus is in the window.
void MainDialog::addTrafficLogAction()
{
    trafficLogAction_ = new QAction(QStringLiteral("通讯记录(&L)..."), this);
    trafficLogAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(trafficLogAction_, &QAction::triggered, this, &MainDialog::showTrafficLog);
    addAction(trafficLogAction_);
}

void MainDialog::showTrafficLog()
{
    if (!trafficLogWindow_)
        trafficLogWindow_ = std::make_unique<TrafficLogWindow>(trafficLog_, *prompts_, this);
    trafficLogWindow_->show();
    trafficLogWindow_->raise();
    trafficLogWindow_->activateWindow();
}

void MainDialog::showAboutBox()
{
    AboutDialog about(images_.appIcon, this);
    about.exec();
}

}  // namespace kt::ui
