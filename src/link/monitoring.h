#pragma once

#include <cstdint>
#include <functional>

#include "link/channel_poll.h"
#include "link/link.h"

namespace kt::link {

// The monitoring's poll: the window's monitoring, `kt5270 status --watch` and `kt5270 serve`
// all poll through it. Whatever is queued before a request is stale (a late reply or line
// noise) and is thrown away without waiting, so it cannot be taken for this request's reply;
// each reply gets the monitoring's shorter wait; every leaking channel's distance is tried,
// even after another failed.
class Monitoring {
public:
    // Input queued before the monitoring starts is drained once, here.
    explicit Monitoring(Link& link);

    // Polls `station`, reporting as it learns (the window shows each state as it arrives).
    // `beforeStatusRead` runs between the status word's request and the read of its reply.
    StationReading poll(std::uint8_t station, const PollReport& report = {},
                        const std::function<void()>& beforeStatusRead = nullptr);

private:
    Link& link_;
};

}  // namespace kt::link
