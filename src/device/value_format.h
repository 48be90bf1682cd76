#pragma once

#include <cstdint>
#include <string>

namespace kt::device {

// A value in hundredths of a metre as the console shows it: value * 0.01 with two decimals,
// rounded as printf's "%0.2f" rounds, always with a full stop whatever the locale.
std::string formatHundredths(std::int64_t hundredths);

}  // namespace kt::device
