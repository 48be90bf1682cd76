#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kt::ui {

// A background worker as the window sees it.
enum class WorkerState {
    Idle,      // nothing runs
    Running,   // started, neither stopped nor ended
    Stopping,  // told to stop, or its work is done, but it has not yet returned
};

// A background thread of the main window, with its run flag and its synchronous hand-over:
// notify() has a handler run on the window's thread while the worker waits for it, so the
// handler may read what the worker stored just before, and the worker may go on writing once
// it returns (the hand-over's lock orders both). Nothing on the window's thread waits for the
// worker, except the destructor, which first releases any waiting notification.
class WorkerThread final : public QObject {
    Q_OBJECT

public:
    WorkerThread() = default;
    // Clears the run flag, lets a waiting notification go unrun, and waits for the worker to
    // end its current step.
    ~WorkerThread() override;

    // Window's thread. Runs `work` on a new thread with the run flag set; only once the
    // previous work has ended.
    void start(std::function<void()> work);
    // Clears the run flag and cuts a pause short; the worker ends at its next look at the flag.
    // A handler calls it too when the worker has reported the end of its work.
    void stop();
    // Window's thread.
    WorkerState state() const
    {
        if (!active_)
            return WorkerState::Idle;
        return running_ ? WorkerState::Running : WorkerState::Stopping;
    }

    // Worker's thread.
    bool isRunning() const { return running_; }
    // Sleeps for `duration`, or until a stop.
    void pause(std::chrono::milliseconds duration);
    // Runs `handler` on the window's thread and returns once it has run (a message box it
    // opens included). Once the window is going away, returns at once without running it.
    void notify(const std::function<void()>& handler);

private:
    Q_INVOKABLE void runPendingHandler();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> running_{false};  // written under mutex_, so a pause cannot miss a stop
    std::atomic<bool> active_{false};
    const std::function<void()>* pending_ = nullptr;  // the handler a notification waits for
    bool closing_ = false;
    std::thread thread_;
};

}  // namespace kt::ui
