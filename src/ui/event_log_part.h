#pragma once

#include <QString>

#include "device/log_row.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"

class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace kt::ui {

// The band's controls, each named by its id.
inline constexpr int LogCountField = 1046;
inline constexpr int ReadLogCountButton = 1047;
inline constexpr int ClearLogButton = 1048;
inline constexpr int ReadLogButton = 1049;
inline constexpr int SaveLogCheckBox = 1050;
inline constexpr int ExportPathField = 1051;
inline constexpr int EventTable = 1052;

// The event log band and the event table under it: how many events the controller holds,
// clearing them, and downloading them into the table and, while the save-log box is ticked,
// the export file.
class EventLogPart {
public:
    EventLogPart(WindowContext& context, WindowLayout& layout);

private:
    void readCount();
    void clear();
    void download();
    // Puts the row into the table and appends it to exportPath_ when that is set; false when
    // its line could not be written.
    bool showRow(const device::LogRow& row);
    void chooseExportFile();

    WindowContext& context_;
    QLineEdit* count_;
    QCheckBox* saveLog_;
    QLineEdit* exportPathField_;
    QTableWidget* table_;
    // The file the running download appends to, taken at its start; empty: none.
    QString exportPath_;
};

}  // namespace kt::ui
