#include "cli/help.h"

#include <algorithm>

#include "cli/options.h"

namespace kt::cli {
namespace {

constexpr std::string_view kExitCodes =
    "Exit codes: 0 success; 1 the controller did not answer, or answered wrongly; 2 usage\n"
    "(nothing was sent); 3 the port cannot be opened; 4 the controller refused a write.\n"
    "Failures are one line on standard error.\n";

std::string nameAndValue(const OptionSpec& option)
{
    std::string text(option.name);
    if (option.takesValue())
        text.append(" ").append(option.value);
    return text;
}

// "  --period MS  pause between rounds", each option's help lined up beside its name.
std::string optionLines(std::span<const OptionSpec> options)
{
    std::size_t width = 0;
    for (const OptionSpec& option : options)
        width = std::max(width, nameAndValue(option).size());
    const std::string indent(width + 4, ' ');
    std::string text;
    for (const OptionSpec& option : options) {
        const std::string name = nameAndValue(option);
        text.append("  ").append(name).append(width - name.size() + 2, ' ');
        for (const char c : option.help)
            text.append(c == '\n' ? "\n" + indent : std::string(1, c));
        if (!option.environment.empty())
            text.append(" Environment: ").append(option.environment);
        text.append("\n");
    }
    return text;
}

std::string sharedOptionsText()
{
    return "Options, before or after the command:\n" + optionLines(sharedOptions());
}

}  // namespace

std::string programHelp()
{
    std::string help = "kt5270: the leak detection controller from the command line.\n\nUsage: kt5270";
    for (const OptionSpec& option : sharedOptions())
        help.append(" [").append(nameAndValue(option)).append("]");
    help.append(" COMMAND ...\n\nCommands:\n");
    for (const CommandSpec& command : commandTable())
        help.append("  ").append(command.synopsis).append("\n");
    help.append("\n").append(sharedOptionsText()).append("\n").append(kExitCodes);
    help.append("\nExample: kt5270 --port /dev/ttyUSB0 --address 1-8 status --json\n");
    return help;
}

std::string commandHelp(const CommandSpec& command)
{
    std::string help = "Usage: kt5270 [options] ";
    help.append(command.synopsis).append("\n\n").append(command.help).append("\n");
    help.append(optionLines(command.options)).append("\n");
    help.append("Example: ").append(command.example).append("\n\n").append(sharedOptionsText());
    return help;
}

}  // namespace kt::cli
