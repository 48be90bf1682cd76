#include "device/value_format.h"

#include <array>
#include <charconv>

namespace kt::device {

std::string formatHundredths(std::int64_t hundredths)
{
    std::array<char, 64> text{};
    const double metres = static_cast<double>(hundredths) * 0.01;
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), metres, std::chars_format::fixed, 2);
    return std::string(text.data(), result.ptr);
}

}  // namespace kt::device
