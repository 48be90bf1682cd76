#include "link/address_search.h"

#include "device/address_probe.h"

namespace kt::link {

SearchOutcome searchAddress(Link& link, const std::function<bool()>& keepGoing,
                            const std::function<void()>& unanswered)
{
    for (int address = device::kFirstProbedAddress; address <= device::kLastProbedAddress;
         ++address) {
        if (!keepGoing())
            return {SearchEnd::Stopped};
        const auto station = static_cast<std::uint8_t>(address);
        if (link.run(station, device::addressProbe()))
            return {SearchEnd::Found, station};
        if (unanswered)
            unanswered();
    }
    return {SearchEnd::NotFound};
}

}  // namespace kt::link
