#pragma once

#include <string_view>

// The daemon's log: one line a state change or fault on standard error, with a time stamp,
// led by the sd-daemon priority prefix ("<4>") that journald turns into the line's priority.
namespace kt::serve {

enum class Priority {
    Error = 3,    // the port is gone, a configuration the daemon cannot use
    Warning = 4,  // a leak, a broken cable, a station or the broker out of reach
    Notice = 5,   // back to normal, back online, connected
    Info = 6,     // starting and stopping
};

void logLine(Priority priority, std::string_view text);

}  // namespace kt::serve
