#pragma once

#include <QComboBox>

#include "serial/serial_port.h"

namespace kt::ui {

// The port drop-down: items "COM1" to "COM20", each with a tooltip naming the device that
// port number resolves to. Devices come and go, so the tooltips are refreshed each time the
// list opens.
class PortNumberComboBox : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kPortCount = serial::kPortCount;

    explicit PortNumberComboBox(QWidget* parent = nullptr);

    void refreshDeviceTips();
    void showPopup() override;
};

}  // namespace kt::ui
