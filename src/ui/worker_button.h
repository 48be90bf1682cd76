#pragma once

#include <QStringView>
#include <functional>

#include "ui/window_context.h"
#include "ui/worker_thread.h"

class QPushButton;

namespace kt::ui {

// A button that starts a background worker and stops it while it runs, with the worker: the
// caption follows the worker's state, and the port guard refuses other users while it holds
// the port.
class WorkerButton {
public:
    struct Captions {
        QStringView start;
        QStringView stop;
        QStringView busy;  // what other users of the port are told
    };

    WorkerButton(WindowContext& context, QPushButton& button, const Captions& captions);

    // On a press: whether it starts the worker. Not after saying that the port is closed, or
    // after stopping the running worker.
    bool pressStarts();
    void start(std::function<void()> work);
    // The worker has reported the end of its work.
    void ended();

    QPushButton& button() { return button_; }
    WorkerThread& thread() { return thread_; }
    bool isRunning() const { return thread_.state() == WorkerState::Running; }

private:
    void showState();

    WindowContext& context_;
    QPushButton& button_;
    Captions captions_;
    WorkerThread thread_;
};

}  // namespace kt::ui
