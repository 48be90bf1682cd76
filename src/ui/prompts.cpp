#include "ui/prompts.h"

#include <QFileDialog>

namespace kt::ui {

void WidgetPrompts::showMessage(QWidget* parent, const MessageBoxRequest& request)
{
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::Ok, parent);
    box.exec();
}

QString WidgetPrompts::chooseSaveFile(QWidget* parent, const SaveFileRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(request.initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace kt::ui
