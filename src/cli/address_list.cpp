#include "cli/address_list.h"

#include <optional>

#include "cli/plain_number.h"
#include "device/text_entry.h"

namespace kt::cli {
namespace {

using Parsed = std::variant<std::vector<std::uint8_t>, std::string>;

// One address of the list, or the text that refuses it.
std::variant<std::uint8_t, std::string> address(std::string_view text)
{
    if (!isPlainNumber(text))
        return "not a station address: \"" + std::string(text) + "\"";
    if (const std::optional<std::uint8_t> station = device::parseStationAddress(text))
        return *station;
    return std::string(device::kAddressRangeText);
}

}  // namespace

Parsed parseAddressList(std::string_view text)
{
    std::vector<std::uint8_t> stations;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        start = comma + 1;

        const std::size_t dash = item.find('-', 1);  // a leading '-' is a sign, refused below
        const auto first = address(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : address(item.substr(dash + 1));
        for (const auto& end : {first, last}) {
            if (const auto* refusal = std::get_if<std::string>(&end))
                return *refusal;
        }
        const int from = std::get<std::uint8_t>(first);
        const int to = std::get<std::uint8_t>(last);
        if (from > to)
            return "not a station address range: \"" + std::string(item) + "\"";
        for (int station = from; station <= to; ++station)
            stations.push_back(static_cast<std::uint8_t>(station));
    }
    return stations;
}

}  // namespace kt::cli
