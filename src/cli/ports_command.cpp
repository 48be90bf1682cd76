// ports: the serial ports present and the devices they resolve to, without opening any.
#include "cli/command.h"
#include "cli/report.h"
#include "serial/serial_port.h"

namespace kt::cli {
namespace {

// One line per COM<n> that resolves to a device, as the window's port list names them.
Prepared preparePorts(const Invocation& invocation)
{
    return WithoutPort{[&invocation] {
        for (int number = 1; number <= serial::kPortCount; ++number) {
            const std::string device = serial::portDevicePath(number);
            if (device.empty())
                continue;
            const std::string port = "COM" + std::to_string(number);
            printResult(invocation, port + " " + device, {{"port", port}, {"device", device}});
        }
        return ExitCode::Success;
    }};
}

}  // namespace

const CommandEntry kPortsCommand{{
    .name = "ports",
    .helpPosition = 100,
    .synopsis = "ports",
    .help = "Lists the serial ports present, COMn and its device, one a line, as the window's\n"
            "port list names them. Opens none of them.",
    .example = "kt5270 ports",
    .takesNoArguments = true,
    .prepare = preparePorts,
}};

}  // namespace kt::cli
