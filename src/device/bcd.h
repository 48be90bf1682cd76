#pragma once

#include <cstdint>

// One-byte BCD as the controller's clock and log time stamps carry it: high nibble tens,
// low nibble units.
namespace kt::device {

// High nibble * 10 + low nibble. The nibbles are not checked: a nibble above 9 counts with its
// value (0x1A gives 20, 0xFF gives 165), so a corrupt byte still shows as some number.
int bcdToInt(std::uint8_t bcd);

// A year sent as two BCD bytes: century, then the year within it (0x20 0x12 gives 2012).
int bcdYearToInt(std::uint8_t century, std::uint8_t yearInCentury);

// `value` from 0 to 99 as two BCD digits; callers range-check first.
std::uint8_t intToBcd(int value);

}  // namespace kt::device
