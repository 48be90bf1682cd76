#pragma once

namespace kt::serial {

// The 2 ms pause between two queries of the input count. Each platform has its own: on Windows
// a plain Sleep, which the C++ library's sleep_for there is not (it waits on an event, one
// more round trip through the system, and under Wine through its server).
void pauseBetweenPolls();

}  // namespace kt::serial
