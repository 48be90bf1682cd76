#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace kt::report {

// Keys stay in the order they are set, as a reader of the lines expects them.
using Json = nlohmann::ordered_json;

// A number as the device layer formats it ("12.50", "3"), as a JSON number; null if none.
Json jsonNumber(std::string_view text);

// One line. Never throws: a text that is not UTF-8 is written with replacement characters.
std::string dumpJson(const Json& json);

}  // namespace kt::report
