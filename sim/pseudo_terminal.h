#pragma once

#include <string>

#include "sim/outcome.h"

namespace kt::sim {

// The controller's end of the line: a pseudo-terminal whose slave device the console opens
// as its serial port. Closing it is what a vanished USB adapter looks like to the console;
// opening it again gives a fresh device, which the optional symlink follows.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { close(); }

    // A raw, non-blocking master; with `linkPath`, a symlink there to the slave device
    // (replacing an earlier symlink, never another kind of file).
    Outcome open(const std::string& linkPath = {});
    void close();

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& devicePath() const { return devicePath_; }

private:
    Outcome openMaster();
    Outcome linkTo(const std::string& linkPath);

    int master_ = -1;
    // The simulator's own slave descriptor: while it is open the master never sees a hang-up,
    // whether or not the console has the device open.
    int slaveKeeper_ = -1;
    std::string devicePath_;
    std::string linkPath_;
};

}  // namespace kt::sim
