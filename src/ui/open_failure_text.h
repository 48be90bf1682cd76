#pragma once

#include <QString>

#include "serial/serial_port.h"

namespace kt::ui {

// What this machine found about why the port the list shows as `portName` would not open at
// `baudRate`: one line for the operator, under the open-failure message.
QString openFailureDetail(const serial::OpenFailure& failure, const QString& portName, int baudRate);

}  // namespace kt::ui
