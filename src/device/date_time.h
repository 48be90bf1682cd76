#pragma once

namespace kt::device {

// A date and time as the controller's clock and event log carry it, in BCD on the wire.
// Decoded values are not range-checked: a corrupt byte shows as whatever it decodes to.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

}  // namespace kt::device
