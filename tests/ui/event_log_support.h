#pragma once

#include <QCheckBox>
#include <QFile>
#include <QTableWidget>

#include "console_fixture.h"

// What the event log tests share: a made-up log held by the simulated controller, the rows
// the event table shows, and the export file.

// Record `k` of a made-up log: a leak on channel B whose time and distance tell it apart.
inline kt::sim::LogRecord numberedRecord(int k)
{
    return kt::sim::makeLogRecord({.year = 2010, .month = 1 + k % 12, .day = 1 + k % 28,
                                   .hour = k % 24, .minute = k},
                                  1, 0, static_cast<std::uint16_t>(100 + k));
}

// The table row of numberedRecord(k) at position k.
inline QStringList numberedRow(int k)
{
    return {QString::number(k),
            QStringLiteral("2010-%1-%2 %3:%4").arg(1 + k % 12).arg(1 + k % 28).arg(k % 24).arg(k),
            QStringLiteral("B"), QStringLiteral("泄露"), QString::number((100 + k) / 100.0, 'f', 2)};
}

// The controller holds records 0 to min(count, 40) - 1 and reports `count` of them.
inline void holdNumberedRecords(ConsoleFixture& console, int count)
{
    std::vector<kt::sim::LogRecord> records;
    for (int k = 0; k < count && k < int(kt::sim::EventLog::kCapacity); ++k)
        records.push_back(numberedRecord(k));
    console.simulator.withDevice([&](kt::sim::ControllerDevice& device) {
        device.log().setRecords(records);
        device.log().forceReportedCount(static_cast<std::uint16_t>(count));
    });
}

// Every cell of the event table, row by row.
inline QList<QStringList> tableRows(const kt::ui::MainDialog& dialog)
{
    const QTableWidget* table = dialog.eventTable();
    QList<QStringList> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            cells << (item ? item->text() : QStringLiteral("<no item>"));
        }
        rows << cells;
    }
    return rows;
}

// Rows left by an earlier download, which the next one must replace.
inline const QList<QStringList> kEarlierRows{{"7", "2001-1-1 1:1", "A", "断线", ""}};

inline void showEarlierRows(kt::ui::MainDialog& dialog)
{
    QTableWidget* table = dialog.eventTable();
    table->setRowCount(0);
    for (const QStringList& cells : kEarlierRows) {
        const int row = table->rowCount();
        table->insertRow(row);
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

// Ticks the save-log box and confirms the save dialog with `path`.
inline void chooseExportFile(ConsoleFixture& console, const QString& path)
{
    console.prompts->saveAnswer = path;
    console.dialog->checkBox(kt::ui::SaveLogCheckBox)->click();
    QVERIFY(console.dialog->checkBox(kt::ui::SaveLogCheckBox)->isChecked());
}

// The file's bytes, or "<missing>".
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
}
