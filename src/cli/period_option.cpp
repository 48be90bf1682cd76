#include "cli/period_option.h"

#include "cli/plain_number.h"
#include "device/text_entry.h"

namespace kt::cli {

std::variant<int, UsageError> periodOption(const Invocation& invocation)
{
    if (!invocation.has(kPeriodOption))
        return kDefaultPeriodMs;
    const std::string period = invocation.value(kPeriodOption);
    if (!isPlainNumber(period))
        return UsageError{"--period takes milliseconds"};
    return device::parsePeriodEntry(period);
}

}  // namespace kt::cli
