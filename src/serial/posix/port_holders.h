#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "serial/serial_port.h"

namespace kt::serial::posix {

// The processes other than this one that have `device` open, in process-id order, as far as
// `proc` lets this user see their descriptors; empty when none is visible.
std::vector<PortHolder> processesHolding(const std::string& device,
                                         const std::filesystem::path& proc = "/proc");

}  // namespace kt::serial::posix
