#include "serial/port_override.h"

#include <cstdlib>

namespace kt::serial {

std::string portOverrideVariable(int portNumber)
{
    return "KT5270_COM" + std::to_string(portNumber);
}

std::string environmentValue(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

}  // namespace kt::serial
