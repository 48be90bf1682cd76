#include "report/station_line.h"

#include "device/channel_status.h"
#include "link/failure_text.h"

namespace kt::report {

StationLine stationLine(std::uint8_t station, const link::StationReading& reading,
                        DistanceText distanceText, const std::string& timeStamp)
{
    StationLine line{std::to_string(station), Json{{"station", station}, {"time", timeStamp}}};
    if (reading.failure) {
        const std::string_view failure = link::standardFailureText(*reading.failure);
        const bool silent = *reading.failure == link::Failure::ShortReply;
        line.text += " " + std::string(failure);
        line.json["error"] = {{"kind", silent ? "short-reply" : "bad-checksum"}, {"message", failure}};
        return line;
    }
    Json channels;
    for (const device::Channel channel : device::kChannels) {
        const auto status = reading.status[channel];
        const auto hundredths = reading.leakDistance[channel];
        const std::string distance = hundredths ? distanceText(*hundredths) : std::string();
        const std::string_view statusText = status ? device::channelStatusText(*status) : "-";
        line.text += " " + std::string(statusText) + " " + (distance.empty() ? "-" : distance);
        channels[device::channelName(channel)] = {{"state", status ? Json(statusText) : Json()},
                                                  {"leakDistance", jsonNumber(distance)}};
    }
    line.json["channels"] = channels;
    return line;
}

}  // namespace kt::report
