#include "report/json.h"

namespace kt::report {

Json jsonNumber(std::string_view text)
{
    Json number = Json::parse(text, nullptr, false);
    return number.is_number() ? number : Json();
}

std::string dumpJson(const Json& json)
{
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace kt::report
