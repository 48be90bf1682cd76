#include "ui/export_file.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "device/log_export.h"
#include "ui/main_dialog.h"
#include "ui/startup_directory.h"

namespace kt::ui {

QString defaultExportPath(const QString& directory)
{
    return fileInDirectory(directory, QStringLiteral("KT_5270.txt"));
}

bool appendExportLine(const QString& path, const device::LogRow& row)
{
    const device::Bytes line = device::exportLine(row);
    QFile file(path);
    // Not in text mode: the line brings its own CR LF, on every platform.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const auto size = static_cast<qint64>(line.size());
    const bool written = file.write(reinterpret_cast<const char*>(line.data()), size) == size;
    // Closing flushes the buffered line; a failed flush or close leaves its error behind.
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void MainDialog::chooseLogFile()
{
    QCheckBox* saveLog = checkBox(SaveLogCheckBox);
    // Unticked: the path stays on view, and the next download ignores it.
    if (!saveLog->isChecked())
        return;
    const QString chosen = prompts_->chooseSaveFile(
        this, {defaultExportPath(startupDirectory()), QStringLiteral("文本文件 (*.txt)"),
               QStringLiteral("txt")});
    // A ticked box always stands beside a chosen file.
    if (chosen.isEmpty())
        saveLog->setChecked(false);
    edit(ExportPathField)->setText(QDir::toNativeSeparators(chosen));
}

}  // namespace kt::ui
