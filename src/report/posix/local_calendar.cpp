#include "report/local_calendar.h"

namespace kt::report {

LocalCalendarTime localCalendarTime(std::time_t moment)
{
    LocalCalendarTime local;
    ::localtime_r(&moment, &local.fields);
    local.utcOffsetSeconds = local.fields.tm_gmtoff;
    return local;
}

}  // namespace kt::report
