#include "serve/station_tracker.h"

#include "link/failure_text.h"
#include "report/station_line.h"

namespace kt::serve {

using device::Channel;
using device::ChannelStatus;

PollResult pollResult(const link::StationReading& reading)
{
    if (!reading.failure)
        return PollResult::Ok;
    return *reading.failure == link::Failure::BadChecksum ? PollResult::BadChecksum : PollResult::NoReply;
}

std::string_view stateName(ChannelStatus status)
{
    switch (status) {
    case ChannelStatus::Normal: return "normal";
    case ChannelStatus::Leak: return "leak";
    case ChannelStatus::Break: return "broken";
    }
    return {};
}

std::string distanceText(const ChannelView& channel)
{
    if (channel.status != ChannelStatus::Leak || !channel.leakDistance)
        return {};
    return device::monitoredLeakDistanceText(*channel.leakDistance);
}

std::vector<Change> StationTracker::update(const link::StationReading& reading,
                                           const std::string& timeStamp)
{
    std::vector<Change> changes;
    for (const Channel channel : device::kChannels)
        updateChannel(channel, reading, changes);
    updateStatusLine(reading, timeStamp);

    const std::string name = "station " + std::to_string(station_);
    if (!reading.failure) {
        failedPolls_ = 0;
        setOnline(true, "answered", changes);
        return changes;
    }
    const std::string failure(link::standardFailureText(*reading.failure));
    if (failedPolls_++ == 0)
        changes.push_back({Priority::Warning, name + ": " + failure});
    if (failedPolls_ >= kFailedPollsForOffline)
        setOnline(false, std::to_string(failedPolls_) + " polls in a row failed", changes);
    return changes;
}

std::vector<Change> StationTracker::markOffline()
{
    std::vector<Change> changes;
    failedPolls_ = kFailedPollsForOffline;
    setOnline(false, "the port is gone", changes);
    return changes;
}

void StationTracker::updateChannel(Channel channel, const link::StationReading& reading,
                                   std::vector<Change>& changes)
{
    const std::optional<ChannelStatus> status = reading.status[channel];
    if (!status)
        return;
    ChannelView& view = channels_[channel];
    ChannelView next{status, std::nullopt};
    if (*status == ChannelStatus::Leak) {
        const auto distance = reading.leakDistance[channel];
        next.leakDistance = distance ? distance : view.status == ChannelStatus::Leak ? view.leakDistance : std::nullopt;
    }
    if (next.status == view.status && next.leakDistance == view.leakDistance)
        return;
    view = next;
    std::string text = "station " + std::to_string(station_) + " channel "
                       + std::string(device::channelName(channel)) + ": " + std::string(stateName(*status));
    if (const std::string distance = distanceText(view); !distance.empty())
        text += " at " + distance + " m";
    changes.push_back({*status == ChannelStatus::Normal ? Priority::Notice : Priority::Warning, text});
}

void StationTracker::updateStatusLine(const link::StationReading& reading, const std::string& timeStamp)
{
    report::Json line = report::stationLine(station_, reading, device::monitoredLeakDistanceText, timeStamp).json;
    report::Json content = line;
    content.erase("time");
    std::string contentText = report::dumpJson(content);
    if (contentText == statusLineContent_)
        return;
    statusLineContent_ = std::move(contentText);
    statusLine_ = report::dumpJson(line);
}

void StationTracker::setOnline(bool online, std::string_view why, std::vector<Change>& changes)
{
    if (online_ == online)
        return;
    online_ = online;
    changes.push_back({online ? Priority::Notice : Priority::Warning,
                       "station " + std::to_string(station_) + (online ? " online" : " offline") + ": "
                           + std::string(why)});
}

}  // namespace kt::serve
