#pragma once

namespace kt::cli {

// What the tool's exit status tells a script.
enum class ExitCode {
    Success = 0,
    NoAnswer = 1,         // no reply, a short one, or one whose checksum failed
    Usage = 2,            // an unknown command or an argument out of range: nothing was sent
    PortUnavailable = 3,  // the port would not open
    Refused = 4,          // the controller answered a write with a refusal
};

}  // namespace kt::cli
