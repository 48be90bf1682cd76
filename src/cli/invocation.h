#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "serial/wait_style.h"

namespace kt::cli {

// Everything the command line (and the environment standing in for it) asked for.
struct Invocation {
    std::string port = "COM1";  // COM<n>, resolved as the window resolves it, or a device path
    int baud = 9600;
    std::vector<std::uint8_t> stations{1};
    bool json = false;
    bool help = false;
    // The readiness wait, unless --step-wait asks for the window's 2 ms steps.
    serial::WaitStyle waitStyle = serial::WaitStyle::Readiness;
    bool version = false;
    std::vector<std::string> words;              // the command and its plain arguments
    std::map<std::string, std::string> options;  // the command's own options; flags map to ""

    bool has(const std::string& option) const { return options.contains(option); }
};

}  // namespace kt::cli
