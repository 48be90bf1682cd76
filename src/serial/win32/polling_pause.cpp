#include "serial/polling_pause.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::serial {

// As precise as the timer resolution, which an open port holds at 1 ms (timer_resolution.h).
void pauseBetweenPolls(std::chrono::milliseconds duration)
{
    ::Sleep(static_cast<DWORD>(duration.count()));
}

}  // namespace kt::serial
