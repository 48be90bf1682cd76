#include "ui/export_file.h"

#include <QFile>

#include "device/log_export.h"
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

}  // namespace kt::ui
