#include "cli/port_opening.h"

#include <cctype>
#include <optional>

#include "cli/plain_number.h"
#include "cli/report.h"
#include "link/failure_text.h"
#include "link/open_failure_text.h"

namespace kt::cli {
namespace {

std::optional<int> comPortNumber(const std::string& name)
{
    if (name.size() < 4 || name.size() > 7)
        return std::nullopt;
    for (std::size_t index = 0; index < 3; ++index) {
        if (std::toupper(static_cast<unsigned char>(name[index])) != "COM"[index])
            return std::nullopt;
    }
    const std::string digits = name.substr(3);
    if (!isPlainNumber(digits) || digits.starts_with('-'))
        return std::nullopt;
    return std::stoi(digits);
}

}  // namespace

serial::OpenResult openPortNamed(const std::string& name, int baudRate)
{
    const std::optional<int> portNumber = comPortNumber(name);
    return portNumber ? serial::openSerialPort(*portNumber, baudRate) : serial::openSerialDevice(name, baudRate);
}

std::unique_ptr<serial::SerialPort> openNamedPort(const std::string& name, int baudRate)
{
    serial::OpenResult opened = openPortNamed(name, baudRate);
    if (!opened.port) {
        // The window's two lines, as one.
        fail(ExitCode::PortUnavailable, std::string(link::kPortOpenFailureText) + " "
                                            + link::openFailureDetail(opened.failure, name, baudRate));
    }
    return std::move(opened.port);
}

}  // namespace kt::cli
