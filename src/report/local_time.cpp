#include "report/local_time.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "report/local_calendar.h"

namespace kt::report {
namespace {

// Only the conversions every C library knows: Windows' has neither %F, %T nor a numeric %z.
std::string localTimeText(const LocalCalendarTime& local, const char* format)
{
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local.fields));
}

}  // namespace

std::string localClockText()
{
    return localTimeText(localCalendarTime(std::time(nullptr)), "%Y-%m-%d %H:%M:%S");
}

std::string localTimeStamp()
{
    const LocalCalendarTime local = localCalendarTime(std::time(nullptr));
    // A zone's offset is less than a day.
    const int offsetMinutes = static_cast<int>(std::labs(local.utcOffsetSeconds) / 60 % (24 * 60));
    char offset[8];
    std::snprintf(offset, sizeof offset, "%c%02d:%02d", local.utcOffsetSeconds < 0 ? '-' : '+',
                  offsetMinutes / 60, offsetMinutes % 60);
    return localTimeText(local, "%Y-%m-%dT%H:%M:%S") + offset;
}

}  // namespace kt::report
