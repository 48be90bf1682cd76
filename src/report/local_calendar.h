#pragma once

#include <ctime>

namespace kt::report {

// A moment as this computer's local calendar shows it, with the zone's offset from UTC.
struct LocalCalendarTime {
    std::tm fields{};
    long utcOffsetSeconds = 0;
};

// Each platform has its own implementation.
LocalCalendarTime localCalendarTime(std::time_t moment);

}  // namespace kt::report
