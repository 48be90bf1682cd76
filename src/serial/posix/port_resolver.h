#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kt::serial::posix {

// Where this machine lists its terminals; tests point these at a fake tree.
struct DeviceDirectories {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sysClassTty = "/sys/class/tty";
};

// The value of an environment variable, empty when it is not set.
using EnvironmentLookup = std::function<std::string(const std::string& name)>;

// The variable that names COM<portNumber>'s device explicitly, e.g. KT5270_COM3.
std::string portOverrideVariable(int portNumber);

// The serial devices present, in COM order: ttyUSB*, then ttyACM*, then the ttyS* ports
// that the kernel backs with a UART it recognises; each group in numeric order.
std::vector<std::filesystem::path> presentSerialDevices(const DeviceDirectories& directories);

// COM<portNumber>'s device: the override variable when it is set, otherwise the
// portNumber-th present serial device; empty when there is none.
std::string resolvePortDevice(int portNumber, const DeviceDirectories& directories,
                              const EnvironmentLookup& environment);

}  // namespace kt::serial::posix
