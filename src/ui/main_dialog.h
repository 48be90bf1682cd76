#pragma once

#include <QDialog>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>

#include "device/cable_parameters.h"
#include "device/channel_status.h"
#include "device/log_row.h"
#include "link/link.h"
#include "serial/serial_port.h"
#include "ui/control_ids.h"
#include "ui/device_text.h"
#include "ui/field_entry.h"
#include "ui/lamp_images.h"
#include "ui/monitor_worker.h"
#include "ui/prompts.h"
#include "ui/search_worker.h"
#include "ui/traffic_log.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kt::ui {

class TrafficLogWindow;

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

    // Opens the communication log's window, or brings it to the front; none until then.
    void showTrafficLog();
    TrafficLogWindow* trafficLogWindow() const { return trafficLogWindow_.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Window shell: controls, initial contents, focus order, About box.
    void createControls();
    void initialiseContents();
    void connectCommands();
    void showAboutBox();
    void addTrafficLogAction();

    // Shows `image` in the lamp `id`; `meaning` says in words what it shows, for assistive tools.
    void setLamp(int id, const QIcon& image, QStringView meaning);
    // A channel lamp's meaning: the lamp's name, its channel's title, and the state ("通道A：泄露").
    QString channelLampMeaning(int lamp, device::ChannelStatus status) const;

    // Port button.
    void openClosePort();

    // Cable parameter buttons: one routine per direction.
    void connectCableCommands();
    void readCableSetting(device::CableSetting setting, int fieldId);
    void writeCableSetting(device::CableSetting setting, int fieldId);

    // Device clock, bus settings and zero calibration buttons.
    void connectClockCommands();
    void readDeviceClock();
    void setDeviceClock();
    void showClock(const device::DateTime& time);
    void connectBusSettingCommands();
    template <typename Value>
    void writeBusSetting(const FieldEntry<Value>& entry, device::Command<bool> (*command)(Value),
                         std::string_view writtenText, std::string_view refusedText);
    void connectZeroCalibrationCommands();
    void calibrateZero(device::Channel channel);

    // Event log: count, clear and download buttons, the save-log box and its export file.
    void connectEventLogCommands();
    void readLogCount();
    void clearLog();
    void downloadLog();
    // Puts the row into the event table and appends it to logExportPath_ when that is set;
    // false when its line could not be written.
    bool showLogRow(const device::LogRow& row);
    void chooseLogFile();

    // Leak monitoring (start/stop, the hidden single poll, the worker's notifications) and
    // the address search (its button and the worker's notifications).
    void connectMonitoringCommands();
    void startStopMonitoring();
    void pollChannelsOnce();
    void showCounters();
    void showChannelStates();
    void showLeakDistances();
    void showChannelStatus(device::Channel channel, device::ChannelStatus status);
    void connectAddressSearch();
    void searchAddress();
    void showSearchProgress();
    void showFoundAddress();

    // Why a command may not use the port now (another user has it), or none.
    std::optional<QStringView> portBusyReason() const;
    // The opening every standard command shares: a port is open and free, and field 1002
    // holds a station address. Otherwise shows why and returns none.
    std::optional<std::uint8_t> beginStandardCommand();
    // The station address, for a command that needs no drain: none after showing why the port
    // is busy or the address is refused.
    std::optional<std::uint8_t> stationAddressForFreePort();
    // The entry's value, or none after showing the message that refuses it.
    template <typename Value>
    std::optional<Value> accepted(const FieldEntry<Value>& entry)
    {
        if (!entry.value)
            showMessage(entry.refusal);
        return entry.value;
    }

    // The link the window's own commands talk through.
    link::Link commandLink() { return link::Link(*port_, &commandTraffic_); }
    // Runs `command` as it is described, its drain included. A failed reply shows the shared
    // message and gives none.
    template <typename Value>
    std::optional<Value> exchange(std::uint8_t stationAddress, const device::Command<Value>& command)
    {
        link::Result<Value> result = commandLink().run(stationAddress, command);
        if (!result) {
            showFailure(result.failure());
            return std::nullopt;
        }
        return *result;
    }
    void showFailure(link::Failure failure);

    std::unique_ptr<Prompts> prompts_;
    LampImages images_;
    std::unique_ptr<serial::SerialPort> port_;
    // The communication log records from the start, each user of the port under its own name.
    TrafficLog trafficLog_;
    TrafficRecorder commandTraffic_{trafficLog_, TrafficSource::Command};
    TrafficRecorder monitorTraffic_{trafficLog_, TrafficSource::Monitoring};
    TrafficRecorder searchTraffic_{trafficLog_, TrafficSource::Search};
    std::unique_ptr<TrafficLogWindow> trafficLogWindow_;
    QAction* trafficLogAction_ = nullptr;  // the context menu's entry, and Ctrl+L
    // Leak monitoring and address search: each worker's thread is declared after what it
    // uses, so that it is stopped and joined before the port and its shared state are gone.
    MonitorShared monitorShared_;
    WorkerThread monitorWorker_;
    SearchShared searchShared_;
    WorkerThread searchWorker_;
    // Event log: the file the running download appends to, taken at its start; empty: none.
    QString logExportPath_;
};

}  // namespace kt::ui
