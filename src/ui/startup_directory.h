#pragma once

#include <QString>

namespace kt::ui {

// The working directory as it was when the console started; the export file's default name
// is built from it. The first call reads it and every later call returns that same text,
// however the current directory changes afterwards (file dialogs may change it).
const QString& startupDirectory();

// The file `name` in `directory`, joined with the platform's own separator unless the
// directory already ends with one (a root such as "/" or "C:\").
QString fileInDirectory(const QString& directory, const QString& name);

}  // namespace kt::ui
