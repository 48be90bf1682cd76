#pragma once

#include <chrono>

namespace kt::serial {

// The pause between two queries of the input count, the default of SerialPort::sleepFor. Each
// platform has its own: on Windows a plain Sleep, which the C++ library's sleep_for there is not
// (it waits on an event, one more round trip through the system, and under Wine through its
// server).
void pauseBetweenPolls(std::chrono::milliseconds duration);

}  // namespace kt::serial
