#include "device/bcd.h"

namespace kt::device {

int bcdToInt(std::uint8_t bcd)
{
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

int bcdYearToInt(std::uint8_t century, std::uint8_t yearInCentury)
{
    return bcdToInt(century) * 100 + bcdToInt(yearInCentury);
}

std::uint8_t intToBcd(int value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

}  // namespace kt::device
