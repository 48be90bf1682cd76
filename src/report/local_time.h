#pragma once

#include <string>

namespace kt::report {

// This computer's local time now, as the controller's clock is set: "2026-12-07 09:30:00".
std::string localClockText();

// The same as an ISO 8601 time stamp with the offset from UTC: "2026-12-07T09:30:00+08:00".
std::string localTimeStamp();

}  // namespace kt::report
