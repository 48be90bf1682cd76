// The Win32 backend holds the timer at 1 ms exactly while a port is open: every raise is
// matched by one lowering at the close, and an open that fails leaves the timer as it was.
// Run under Wine by scripts/check-windows-tool.sh, with COM1 on the simulator.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "serial/serial_port.h"
#include "serial/win32/timer_resolution.h"

namespace {

std::string changes;  // "+" for each accepted raise, "-" for each accepted lowering, "!" refused

void record(bool raised, bool accepted)
{
    changes += accepted ? (raised ? "+" : "-") : "!";
}

struct Case {
    const char* what;
    std::string device;
    bool opens;
    const char* afterOpen;  // the changes seen once the open has returned
};

}  // namespace

int main()
{
    kt::serial::observeTimerResolution(record);
    const std::string notSerial = "not-a-serial-port.txt";
    std::ofstream(notSerial) << "a file, not a serial line\n";

    const std::vector<Case> cases{
        {"a port that opens", kt::serial::portDevicePath(1), true, "+"},
        {"no such port", kt::serial::portDevicePath(200), false, ""},
        {"a device that refuses the line settings", notSerial, false, "+-"},
    };
    int failures = 0;
    for (const Case& test : cases) {
        changes.clear();
        std::string seenAfterOpen;
        bool opened = false;
        {
            auto result = kt::serial::openSerialDevice(test.device, 9600);
            opened = result.port != nullptr;
            seenAfterOpen = changes;
        }
        const bool passed = opened == test.opens && seenAfterOpen == test.afterOpen
                            && changes == std::string(test.opens ? "+-" : test.afterOpen);
        std::printf("%s  %s: %s, changes after the open \"%s\", after the close \"%s\"\n", passed ? "ok  " : "FAIL",
                    test.what, opened ? "opened" : "not opened", seenAfterOpen.c_str(), changes.c_str());
        failures += passed ? 0 : 1;
    }
    std::remove(notSerial.c_str());
    return failures == 0 ? 0 : 1;
}
