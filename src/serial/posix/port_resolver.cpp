#include "serial/posix/port_resolver.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "serial/port_override.h"
#include "serial/serial_port.h"

namespace kt::serial::posix {
namespace {

namespace fs = std::filesystem;

// The 8250 driver registers ttyS placeholders for ports that may not exist; only those
// whose UART type the kernel identified (type is non-zero) have hardware behind them.
bool hasRecognisedUart(const DeviceDirectories& directories, const std::string& name)
{
    std::ifstream typeFile(directories.sysClassTty / name / "type");
    int uartType = 0;
    return static_cast<bool>(typeFile >> uartType) && uartType != 0;
}

struct DeviceGroup {
    std::string_view prefix;
    bool needsRecognisedUart;
};

constexpr DeviceGroup kGroupsInComOrder[] = {
    {"ttyUSB", false},
    {"ttyACM", false},
    {"ttyS", true},
};

std::vector<fs::path> presentDevicesOf(const DeviceGroup& group,
                                       const DeviceDirectories& directories)
{
    std::vector<std::pair<unsigned, fs::path>> numbered;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(directories.dev, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<unsigned> number = numberAfter(name, group.prefix);
        if (!number || (group.needsRecognisedUart && !hasRecognisedUart(directories, name)))
            continue;
        numbered.emplace_back(*number, entry.path());
    }
    std::ranges::sort(numbered);

    std::vector<fs::path> devices;
    devices.reserve(numbered.size());
    for (auto& [number, path] : numbered)
        devices.push_back(std::move(path));
    return devices;
}

}  // namespace

std::optional<unsigned> numberAfter(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    unsigned number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::vector<fs::path> presentSerialDevices(const DeviceDirectories& directories)
{
    std::vector<fs::path> devices;
    for (const DeviceGroup& group : kGroupsInComOrder)
        std::ranges::move(presentDevicesOf(group, directories), std::back_inserter(devices));
    return devices;
}

std::string resolvePortDevice(int portNumber, const DeviceDirectories& directories,
                              const EnvironmentLookup& environment)
{
    if (portNumber <= 0)
        return {};
    if (std::string overridden = environment(portOverrideVariable(portNumber)); !overridden.empty())
        return overridden;
    const std::vector<fs::path> devices = presentSerialDevices(directories);
    const auto index = static_cast<std::size_t>(portNumber - 1);
    return index < devices.size() ? devices[index].string() : std::string();
}

}  // namespace kt::serial::posix

namespace kt::serial {

std::string portDevicePath(int portNumber)
{
    return posix::resolvePortDevice(portNumber, posix::DeviceDirectories{},
                                    environmentValue);
}

}  // namespace kt::serial
