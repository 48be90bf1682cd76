#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "serial/line_speeds.h"
#include "serial/wait_style.h"

namespace kt::cli {

// One option of the command line, as the parser knows it and the help explains it.
struct OptionSpec {
    std::string_view name;
    std::string_view value = {};        // the value's name in the help ("MS"); empty for a flag
    std::string_view help = {};         // what it does; may run over several lines
    std::string_view environment = {};  // the variable that stands for it when it is not given

    bool takesValue() const { return !value.empty(); }
};

// Everything the command line (and the environment standing in for it) asked for.
struct Invocation {
    std::string port = "COM1";  // COM<n>, resolved as the window resolves it, or a device path
    int baud = serial::kDefaultLineSpeed;
    std::vector<std::uint8_t> stations{1};
    bool json = false;
    bool trace = false;
    // Readiness: the tool notices each reply as the port has it; --step-wait brings back the
    // window's 2 ms polling steps.
    serial::WaitStyle waitStyle = serial::WaitStyle::Readiness;
    bool help = false;
    bool version = false;
    std::vector<std::string> words;              // the command and its plain arguments
    std::map<std::string, std::string> options;  // the command's own options; flags map to ""

    bool has(const OptionSpec& option) const { return options.contains(std::string(option.name)); }
    // The value given for `option`, or `fallback` when it was not given.
    std::string value(const OptionSpec& option, std::string fallback = {}) const
    {
        const auto given = options.find(std::string(option.name));
        return given == options.end() ? fallback : given->second;
    }
};

}  // namespace kt::cli
