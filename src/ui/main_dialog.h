#pragma once

#include <QDialog>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>

#include "device/bytes.h"
#include "serial/serial_port.h"
#include "ui/control_ids.h"
#include "ui/lamp_images.h"
#include "ui/prompts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kt::ui {

struct CableCommand;

// The console's one window. Every operator command is a handler here that runs to its end on
// the window's thread; controls are reached by their numeric ids.
class MainDialog : public QDialog {
    Q_OBJECT

public:
    // `prompts` is the seam for every message box and file dialog; null means the real ones.
    explicit MainDialog(std::unique_ptr<Prompts> prompts = nullptr, QWidget* parent = nullptr);
    ~MainDialog() override;

    QWidget* control(int id) const;
    QLineEdit* edit(int id) const;
    QComboBox* dropDown(int id) const;
    QPushButton* button(int id) const;
    QLabel* label(int id) const;  // state texts, counters and lamps
    QCheckBox* checkBox(int id) const;
    QTableWidget* eventTable() const;

    // A modal box titled with the application's name, text only, OK button.
    void showMessage(QStringView text);

    bool isPortOpen() const { return port_ != nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Window shell: controls, initial contents, focus order, About box.
    void createControls();
    void initialiseContents();
    void connectCommands();
    void showAboutBox();

    void setLamp(int id, const QIcon& image);

    // Port button.
    void openClosePort();

    // Cable parameter buttons: one table, one routine per direction.
    void connectCableCommands();
    void readCableSetting(const CableCommand& command);
    void writeCableSetting(const CableCommand& command);
    std::optional<device::Bytes> cableWriteRequest(const CableCommand& command);

    // Why a command may not use the port now (another user has it), or none.
    std::optional<QStringView> portBusyReason() const;
    // The opening every standard command shares: a port is open and free, stale input is
    // drained, and field 1002 holds a station address. Otherwise shows why and returns none.
    std::optional<std::uint8_t> beginStandardCommand();
    // One request to the station and its reply of known length. A short reply or a bad
    // checksum shows the shared message and returns none.
    std::optional<device::Bytes> exchange(std::uint8_t stationAddress,
                                          const device::Bytes& commandBytes,
                                          std::size_t replyLength);

    std::unique_ptr<Prompts> prompts_;
    LampImages images_;
    std::unique_ptr<serial::SerialPort> port_;
};

}  // namespace kt::ui
