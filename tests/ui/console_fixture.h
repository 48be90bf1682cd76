#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "recording_prompts.h"
#include "serial/crc16.h"
#include "sim/controller_simulator.h"
#include "ui/lamp_images.h"

// The real main window with COM1 wired to a simulated controller on a pseudo-terminal: tests
// press the window's buttons and check what went over the wire and what the operator sees.
class ConsoleFixture {
public:
    ConsoleFixture()
    {
        QVERIFY(simulator.start());
        qputenv("KT5270_COM1", QByteArray::fromStdString(simulator.devicePath()));
        RecordedMainDialog recorded = makeRecordedMainDialog();
        prompts = recorded.prompts;
        dialog = std::move(recorded.dialog);
    }

    ~ConsoleFixture() { qunsetenv("KT5270_COM1"); }

    void openPort()
    {
        dialog->button(kt::ui::PortButton)->click();
        QCOMPARE(dialog->button(kt::ui::PortButton)->text(), QStringLiteral("关闭串口"));
        QVERIFY(prompts->messages.empty());
    }

    void click(int id) { dialog->button(id)->click(); }
    void setText(int id, const QString& text) { dialog->edit(id)->setText(text); }
    QString text(int id) const { return dialog->edit(id)->text(); }

    // The one message the last action showed, or "" when it showed none; clears the record.
    QString takeMessage()
    {
        const QStringList texts = prompts->messageTexts();
        prompts->messages.clear();
        if (texts.size() > 1)
            return QStringLiteral("several messages: ") + texts.join(QStringLiteral(" | "));
        return texts.isEmpty() ? QString() : texts.front();
    }

    std::vector<kt::sim::Bytes> takeFrames()
    {
        auto frames = simulator.receivedFrames();
        simulator.clearReceivedFrames();
        return frames;
    }

    kt::sim::ControllerSimulator simulator;
    RecordingPrompts* prompts = nullptr;
    std::unique_ptr<kt::ui::MainDialog> dialog;
};

// `bytes` followed by their checksum in wire order.
inline kt::sim::Bytes framed(kt::sim::Bytes bytes)
{
    const std::uint16_t crc = kt::serial::crc16Modbus(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

// True when the lamp `id` shows `image`.
inline bool lampShows(const kt::ui::MainDialog& dialog, int id, const QIcon& image)
{
    return dialog.label(id)->pixmap().toImage()
        == image.pixmap(kt::ui::kLampSize, kt::ui::kLampSize).toImage();
}
