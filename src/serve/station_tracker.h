#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/channel_status.h"
#include "link/channel_poll.h"
#include "serve/daemon_log.h"

namespace kt::serve {

// How one poll of a station went, as the metrics count it: by its first failure.
enum class PollResult { Ok, NoReply, BadChecksum };

PollResult pollResult(const link::StationReading& reading);

// What the daemon knows of one channel. Nothing until a poll has read its state.
struct ChannelView {
    std::optional<device::ChannelStatus> status;
    std::optional<std::uint16_t> leakDistance;  // hundredths of a metre, while in leak
};

// Something that changed, for the log.
struct Change {
    Priority priority;
    std::string text;
};

// One station as its polls show it. It is online from its first fully answered poll, and
// offline after kFailedPollsForOffline polls in a row that went unanswered or came back
// damaged (or at once when the port is gone). A channel whose state code has no meaning keeps
// its last state, as the window keeps it; a leak whose distance could not be read keeps the
// distance it had.
class StationTracker {
public:
    static constexpr int kFailedPollsForOffline = 3;

    explicit StationTracker(std::uint8_t station) : station_(station) {}

    // Takes in one poll and says what changed. `timeStamp` goes into the status line when its
    // content changed: a poll that only repeats the last one leaves the line as it was.
    std::vector<Change> update(const link::StationReading& reading, const std::string& timeStamp);
    // The port is gone: no poll can reach the station.
    std::vector<Change> markOffline();

    std::uint8_t station() const { return station_; }
    std::optional<bool> online() const { return online_; }  // none before the third poll
    const ChannelView& channel(device::Channel channel) const { return channels_[channel]; }
    // The last poll's line as `kt5270 --json status` prints it; empty before the first poll.
    const std::string& statusLine() const { return statusLine_; }

private:
    void updateChannel(device::Channel channel, const link::StationReading& reading,
                       std::vector<Change>& changes);
    void updateStatusLine(const link::StationReading& reading, const std::string& timeStamp);
    void setOnline(bool online, std::string_view why, std::vector<Change>& changes);

    std::uint8_t station_;
    std::optional<bool> online_;
    int failedPolls_ = 0;
    device::PerChannel<ChannelView> channels_;
    std::string statusLine_;
    std::string statusLineContent_;  // the line without its time stamp
};

// "normal", "leak" or "broken", as the state topics carry a channel's state.
std::string_view stateName(device::ChannelStatus status);

// "12.34" while the channel is in leak and its distance is known; empty otherwise.
std::string distanceText(const ChannelView& channel);

}  // namespace kt::serve
