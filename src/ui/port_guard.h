#pragma once

#include <QStringView>
#include <optional>

#include "ui/worker_thread.h"

class QPushButton;

namespace kt::ui {

// The workers that may hold the port, each with the button that starts and stops it.
struct PortUsers {
    const QPushButton& monitorButton;
    const WorkerThread& monitorWorker;
    const QPushButton& searchButton;
    const WorkerThread& searchWorker;
};

// The port has one user at a time: a monitoring or search holds it from the moment its button
// shows the stop caption until its worker has really ended, since a stop only asks it to end.
// Gives the text that refuses another user, or none when the port is free.
std::optional<QStringView> portBusyReason(const PortUsers& users);

}  // namespace kt::ui
