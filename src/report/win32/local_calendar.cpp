#include "report/local_calendar.h"

namespace kt::report {

// The offset is the local fields read back as if they were UTC, less the moment itself.
LocalCalendarTime localCalendarTime(std::time_t moment)
{
    LocalCalendarTime local;
    ::localtime_s(&local.fields, &moment);
    std::tm fields = local.fields;
    local.utcOffsetSeconds = static_cast<long>(::_mkgmtime(&fields) - moment);
    return local;
}

}  // namespace kt::report
