#include "ui/startup_directory.h"

#include <QDir>

namespace kt::ui {

const QString& startupDirectory()
{
    static const QString captured = QDir::toNativeSeparators(QDir::currentPath());
    return captured;
}

QString fileInDirectory(const QString& directory, const QString& name)
{
    if (directory.endsWith(QDir::separator()))
        return directory + name;
    return directory + QDir::separator() + name;
}

}  // namespace kt::ui
