#pragma once

#include "ui/window_context.h"
#include "ui/window_layout.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt::ui {

class PortNumberComboBox;
struct LampImages;

// The band's controls, each named by its id.
inline constexpr int PortNumberList = 1000;
inline constexpr int PortBaudRateList = 1001;
inline constexpr int StationAddressField = 1002;
inline constexpr int PortLamp = 1003;
inline constexpr int PortButton = 1004;

// The port band: which port at which speed, the station address, and opening and closing.
class PortPart {
public:
    PortPart(WindowContext& context, WindowLayout& layout, const LampImages& images);

private:
    void openClosePort();
    // Button caption and lamp as the port is.
    void showPortState();

    WindowContext& context_;
    const LampImages& images_;
    PortNumberComboBox* portList_;
    QComboBox* rateList_;
    QLineEdit* stationAddress_;
    QLabel* lamp_;
    QPushButton* button_;
};

}  // namespace kt::ui
