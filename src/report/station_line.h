#pragma once

#include <cstdint>
#include <string>

#include "link/channel_poll.h"
#include "report/json.h"

namespace kt::report {

// One station's poll as `kt5270 status` prints it and `kt5270 serve` publishes it.
struct StationLine {
    std::string text;  // "3 正常 - 泄露 12.34", or "3 读数据错误"
    Json json;         // {"station":3,"time":...,"channels":{...}} or {...,"error":{...}}
};

// How a distance is shown: the single poll shows an unknown one, the monitoring leaves it out.
using DistanceText = std::string (*)(std::uint16_t hundredths);

StationLine stationLine(std::uint8_t station, const link::StationReading& reading,
                        DistanceText distanceText, const std::string& timeStamp);

}  // namespace kt::report
