#pragma once

#include <QDialog>
#include <memory>

#include "ui/address_search_part.h"
#include "ui/bus_settings_part.h"
#include "ui/cable_part.h"
#include "ui/clock_part.h"
#include "ui/event_log_part.h"
#include "ui/lamp_images.h"
#include "ui/monitoring_part.h"
#include "ui/port_part.h"
#include "ui/prompts.h"
#include "ui/traffic_log.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"
#include "ui/zero_calibration_part.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kt::ui {

class TrafficLogWindow;

// The console's one window: its bands, each a part that owns its controls and runs its
// commands to their end on the window's thread, and what the window does as a whole (keys,
// the context menu, the About box, the communication log).
class MainDialog : public QDialog {
    Q_OBJECT

public:
    // `prompts` is the seam for every message box and file dialog; null means the real ones.
    explicit MainDialog(std::unique_ptr<Prompts> prompts = nullptr, QWidget* parent = nullptr);
    ~MainDialog() override;

    // A control by its id, as tests and tools reach it: every control is named by its id.
    QWidget* control(int id) const;
    QLineEdit* edit(int id) const;
    QComboBox* dropDown(int id) const;
    QPushButton* button(int id) const;
    QLabel* label(int id) const;  // state texts, counters and lamps
    QCheckBox* checkBox(int id) const;
    QTableWidget* eventTable() const;

    bool isPortOpen() const { return context_.isPortOpen(); }

    // Opens the communication log's window, or brings it to the front; none until then.
    void showTrafficLog();
    TrafficLogWindow* trafficLogWindow() const { return trafficLogWindow_.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Focus moves through the controls in ascending order of their ids.
    void setFocusOrder();
    void addTrafficLogAction();
    void showAboutBox();

    std::unique_ptr<Prompts> prompts_;
    LampImages images_;
    // The communication log records from the start, each user of the port under its own name.
    TrafficLog trafficLog_;
    std::unique_ptr<TrafficLogWindow> trafficLogWindow_;
    QAction* trafficLogAction_ = nullptr;  // the context menu's entry, and Ctrl+L
    // The parts come after what they share, so that their workers end before it goes.
    WindowContext context_;
    WindowLayout layout_;
    PortPart port_;
    BusSettingsPart busSettings_;
    AddressSearchPart addressSearch_;
    CablePart cable_;
    ZeroCalibrationPart zeroCalibration_;
    ClockPart clock_;
    MonitoringPart monitoring_;
    EventLogPart eventLog_;
};

}  // namespace kt::ui
