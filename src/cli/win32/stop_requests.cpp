#include "cli/stop_signal.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::cli {
namespace {

// Ctrl+C and Ctrl+Break stop the command as SIGINT does on Linux; closing the console window
// and logging off are left to the system's default, which ends the process.
BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    requestStop();
    return TRUE;
}

}  // namespace

void catchStopRequests()
{
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace kt::cli
