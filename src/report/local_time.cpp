#include "report/local_time.h"

#include <ctime>

namespace kt::report {
namespace {

std::string localTimeText(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

}  // namespace

std::string localClockText()
{
    return localTimeText("%F %T");
}

std::string localTimeStamp()
{
    std::string stamp = localTimeText("%FT%T%z");
    return stamp.insert(stamp.size() - 2, ":");  // strftime writes the offset as +0800
}

}  // namespace kt::report
