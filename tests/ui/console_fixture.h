#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <utility>
#include <vector>

#include "recording_prompts.h"
#include "sim/controller_simulator.h"

// Frames as hex: "01 03 60 01 00 02 8B CB".
using Frames = QStringList;
// Controls and their texts, as typed or as shown.
using Texts = std::vector<std::pair<int, QString>>;

// The real main window with COM1 wired to a simulated controller on a pseudo-terminal, or to a
// link that follows its device as a stable device name follows an adapter.
class ConsoleFixture {
public:
    explicit ConsoleFixture(const std::string& linkPath = {})
    {
        QVERIFY(simulator.start(linkPath));
        qputenv("KT5270_COM1", QByteArray::fromStdString(linkPath.empty() ? simulator.devicePath() : linkPath));
        newWindow();
    }
    ~ConsoleFixture() { qunsetenv("KT5270_COM1"); }

    // A fresh window in place of the current one, on the same simulated controller.
    void newWindow()
    {
        dialog.reset();
        RecordedMainDialog recorded = makeRecordedMainDialog();
        prompts = recorded.prompts;
        dialog = std::move(recorded.dialog);
    }

    void openPort()
    {
        click(kt::ui::PortButton);
        QCOMPARE(text(kt::ui::PortButton), QStringLiteral("关闭串口"));
        QCOMPARE(takeMessage(), QString());
    }

    // Waits until a stopped worker has ended its step, seen as the port close no longer refused; reopens.
    void waitUntilPortIsFree()
    {
        QTRY_VERIFY_WITH_TIMEOUT((click(kt::ui::PortButton), !dialog->isPortOpen()), 10000);
        prompts->messages.clear();
        openPort();
    }

    void click(int id) { dialog->button(id)->click(); }

    // Types into a field or into a drop-down's text part.
    void setText(int id, const QString& typed)
    {
        QComboBox* list = dialog->dropDown(id);
        list ? list->setEditText(typed) : dialog->edit(id)->setText(typed);
    }
    void setTexts(const Texts& typed)
    {
        for (const auto& [id, shown] : typed)
            setText(id, shown);
    }

    // What control `id` shows: its text or caption, a lamp's picture by name, or the event
    // table's rows (cells joined by "|", rows by newlines).
    QString text(int id) const
    {
        QWidget* control = dialog->control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return edit->text();
        if (auto* list = qobject_cast<QComboBox*>(control))
            return list->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->text();
        if (auto* table = qobject_cast<QTableWidget*>(control))
            return tableText(*table);
        auto* label = qobject_cast<QLabel*>(control);
        return label->pixmap().isNull() ? label->text() : lampName(label->pixmap());
    }
    int number(int id) const { return text(id).toInt(); }

    // "id: text, not expected" for each control of `expected` that shows another text.
    QString mismatches(const Texts& expected) const
    {
        QStringList wrong;
        for (const auto& [id, shown] : expected)
            if (text(id) != shown)
                wrong << QStringLiteral("%1: %2, not %3").arg(id).arg(text(id), shown);
        return wrong.join(QStringLiteral("; "));
    }

    // The messages shown since the last call; a title other than the program's, or an icon, is added.
    QString takeMessage()
    {
        QStringList texts;
        for (const kt::ui::MessageBoxRequest& message : prompts->messages) {
            const bool plain = message.title == QCoreApplication::applicationName()
                && message.icon == QMessageBox::NoIcon;
            texts << (plain ? message.text
                            : QStringLiteral("%1 (%2, icon %3)").arg(message.text, message.title).arg(message.icon));
        }
        prompts->messages.clear();
        return texts.join(QStringLiteral(" | "));
    }

    Frames takeFrames()
    {
        Frames frames;
        for (const kt::sim::Bytes& frame : simulator.receivedFrames())
            frames << hex(frame);
        simulator.clearReceivedFrames();
        return frames;
    }
    static QString hex(const kt::sim::Bytes& bytes)
    {
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex(' ').toUpper();
    }

    kt::sim::ControllerSimulator simulator;
    RecordingPrompts* prompts = nullptr;
    std::unique_ptr<kt::ui::MainDialog> dialog;

private:
    static QString tableText(const QTableWidget& table)
    {
        QStringList rows;
        for (int row = 0; row < table.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table.columnCount(); ++column)
                cells << (table.item(row, column) ? table.item(row, column)->text() : QString());
            rows << cells.join(u'|');
        }
        return rows.join(u'\n');
    }

    static QString lampName(const QPixmap& shown)
    {
        const kt::ui::LampImages images = kt::ui::LampImages::create();
        for (const auto& [icon, name] : {std::pair{&images.portOpenIcon, "open"}, {&images.portClosedIcon, "closed"},
                                         {&images.normalIcon, "normal"}, {&images.leakIcon, "leak"}, {&images.breakIcon, "break"}})
            if (icon->pixmap(kt::ui::kLampSize).toImage() == shown.toImage())
                return QString::fromLatin1(name);
        return QStringLiteral("unknown picture");
    }
};

// Counts each notification of a background worker and runs `before` just before the window handles it.
class NotificationWatcher : public QObject {
public:
    explicit NotificationWatcher(std::function<void()> before = {}) : before_(std::move(before))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    int count = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall && qobject_cast<kt::ui::WorkerThread*>(receiver)) {
            ++count;
            if (before_)
                before_();
        }
        return false;
    }

private:
    std::function<void()> before_;
};
