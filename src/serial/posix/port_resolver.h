#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt::serial::posix {

// Where this machine lists its terminals; tests point these at a fake tree.
struct DeviceDirectories {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sysClassTty = "/sys/class/tty";
};

// The number after `prefix` in a name such as ttyUSB10 (or 4711 after no prefix); none when
// the rest is empty or not purely decimal (ttyUSB, ttyS0a).
std::optional<unsigned> numberAfter(std::string_view name, std::string_view prefix);

// The value of an environment variable, empty when it is not set.
using EnvironmentLookup = std::function<std::string(const std::string& name)>;

// The serial devices present, in COM order: ttyUSB*, then ttyACM*, then the ttyS* ports
// that the kernel backs with a UART it recognises; each group in numeric order.
std::vector<std::filesystem::path> presentSerialDevices(const DeviceDirectories& directories);

// COM<portNumber>'s device: the override variable (port_override.h) when it is set, otherwise the
// portNumber-th present serial device; empty when there is none.
std::string resolvePortDevice(int portNumber, const DeviceDirectories& directories,
                              const EnvironmentLookup& environment);

}  // namespace kt::serial::posix
