#pragma once

#include <cstdint>
#include <vector>

namespace kt::device {

using Bytes = std::vector<std::uint8_t>;

}  // namespace kt::device
