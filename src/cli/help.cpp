#include "cli/help.h"

namespace kt::cli {
namespace {

constexpr std::string_view kSharedOptions =
    "Options, before or after the command:\n"
    "  --port PORT         the serial port (default COM1): COMn is found as the window finds it,\n"
    "                      or give a device path such as /dev/ttyUSB0, or a serial device server\n"
    "                      as tcp://HOST:PORT (its own settings give the baud rate). Environment:\n"
    "                      KT5270_PORT\n"
    "  --baud RATE         2400, 4800, 9600 (default), 19200 or 38400. Environment: KT5270_BAUD\n"
    "  --address N         the controller's station address, 0 to 255 (default 1); status takes\n"
    "                      a list such as 1,2,5-9. Environment: KT5270_ADDRESS\n"
    "  --json              one JSON object a line instead of text\n"
    "  --help              this text; COMMAND --help explains one command\n";

constexpr std::string_view kExitCodes =
    "Exit codes: 0 success; 1 the controller did not answer, or answered wrongly; 2 usage\n"
    "(nothing was sent); 3 the port cannot be opened; 4 the controller refused a write.\n"
    "Failures are one line on standard error.\n";

}  // namespace

std::string programHelp()
{
    std::string help = "kt5270: the leak detection controller from the command line.\n\n"
                       "Usage: kt5270 [--port COMn|DEVICE|tcp://HOST:PORT] [--baud RATE] [--address N] [--json] COMMAND ...\n\n"
                       "Commands:\n";
    for (const CommandSpec& command : commandTable())
        help.append("  ").append(command.synopsis).append("\n");
    help.append("\n").append(kSharedOptions).append("\n").append(kExitCodes);
    help.append("\nExample: kt5270 --port /dev/ttyUSB0 --address 1-8 status --json\n");
    return help;
}

std::string commandHelp(const CommandSpec& command)
{
    std::string help = "Usage: kt5270 [options] ";
    help.append(command.synopsis).append("\n\n").append(command.help).append("\n\n");
    help.append("Example: ").append(command.example).append("\n\n").append(kSharedOptions);
    return help;
}

}  // namespace kt::cli
