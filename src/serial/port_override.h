#pragma once

#include <string>

namespace kt::serial {

// The variable that names COM<portNumber>'s device explicitly, e.g. KT5270_COM3.
std::string portOverrideVariable(int portNumber);

// The value of an environment variable of this process, empty when it is not set.
std::string environmentValue(const std::string& name);

}  // namespace kt::serial
