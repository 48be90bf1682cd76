#pragma once

#include <QStringView>
#include <optional>
#include <vector>

#include "ui/worker_thread.h"

namespace kt::ui {

// The port has one user at a time: a background worker holds it from its start until it has
// really ended, since a stop only asks it to end.
class PortGuard {
public:
    // `refusal` is what another user is told while `worker` holds the port.
    void addUser(const WorkerThread& worker, QStringView refusal)
    {
        users_.push_back({&worker, refusal});
    }

    // The text that refuses another user, or none when the port is free.
    std::optional<QStringView> busyReason() const
    {
        for (const User& user : users_)
            if (user.worker->state() != WorkerState::Idle)
                return user.refusal;
        return std::nullopt;
    }

private:
    struct User {
        const WorkerThread* worker;
        QStringView refusal;
    };
    std::vector<User> users_;
};

}  // namespace kt::ui
