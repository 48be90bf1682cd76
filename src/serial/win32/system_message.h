#pragma once

#include <string>

namespace kt::serial {

// The system's own description of `error` (GetLastError, WSAGetLastError), in the user's
// language, as UTF-8.
std::string systemMessage(unsigned long error);

}  // namespace kt::serial
