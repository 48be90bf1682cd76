#include "ui/startup_directory.h"

#include <QDir>

namespace kt::ui {

const QString& startupDirectory()
{
    static const QString captured = QDir::toNativeSeparators(QDir::currentPath());
    return captured;
}

}  // namespace kt::ui
