#include "cli/plain_number.h"

#include <algorithm>
#include <cctype>

namespace kt::cli {
namespace {

bool allDigits(std::string_view text)
{
    return !text.empty()
        && std::ranges::all_of(text, [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

bool isPlainNumber(std::string_view text, bool fraction)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    const std::size_t point = fraction ? text.find('.') : std::string_view::npos;
    if (point == std::string_view::npos)
        return allDigits(text);
    return allDigits(text.substr(0, point)) && allDigits(text.substr(point + 1));
}

}  // namespace kt::cli
