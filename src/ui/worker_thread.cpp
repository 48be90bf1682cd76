#include "ui/worker_thread.h"

namespace kt::ui {

WorkerThread::~WorkerThread()
{
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void WorkerThread::start(std::function<void()> work)
{
    Q_ASSERT(state() == WorkerState::Idle);
    // The previous worker has returned from its work, so this only collects its thread.
    if (thread_.joinable())
        thread_.join();
    running_ = true;
    active_ = true;
    thread_ = std::thread([this, work = std::move(work)] {
        work();
        active_ = false;
    });
}

void WorkerThread::stop()
{
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    changed_.notify_all();
}

void WorkerThread::pause(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, duration, [this] { return !running_; });
}

void WorkerThread::notify(const std::function<void()>& handler)
{
    std::unique_lock lock(mutex_);
    if (closing_)
        return;
    pending_ = &handler;
    // Posted by name: the call carries nothing that the window's thread would read without
    // this class's lock.
    QMetaObject::invokeMethod(this, "runPendingHandler", Qt::QueuedConnection);
    changed_.wait(lock, [this] { return pending_ == nullptr || closing_; });
    pending_ = nullptr;
}

void WorkerThread::runPendingHandler()
{
    std::unique_lock lock(mutex_);
    const std::function<void()>* handler = pending_;
    if (handler == nullptr)
        return;
    lock.unlock();
    (*handler)();
    lock.lock();
    pending_ = nullptr;
    changed_.notify_all();
}

}  // namespace kt::ui
