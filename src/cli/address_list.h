#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kt::cli {

// Station addresses such as "1,2,5-9", in the order given, each 0 to 255. A list that is not
// made of numbers and ranges gives a usage text; a number out of range gives the window's
// own range text.
std::variant<std::vector<std::uint8_t>, std::string> parseAddressList(std::string_view text);

}  // namespace kt::cli
