#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace kt::sim {

Outcome PseudoTerminal::open(const std::string& linkPath)
{
    close();
    Outcome outcome = openMaster();
    if (outcome && !linkPath.empty())
        outcome = linkTo(linkPath);
    if (!outcome)
        close();
    return outcome;
}

Outcome PseudoTerminal::openMaster()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return Outcome::fromErrno("posix_openpt");
    std::array<char, 128> name{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name.data(), name.size()) != 0)
        return Outcome::fromErrno("preparing the pseudo-terminal");
    devicePath_ = name.data();
    slaveKeeper_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ < 0)
        return Outcome::fromErrno("opening " + devicePath_);
    // Raw mode, so that no byte of a frame is echoed, translated or taken as a signal.
    termios settings{};
    if (tcgetattr(slaveKeeper_, &settings) != 0)
        return Outcome::fromErrno("tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(slaveKeeper_, TCSANOW, &settings) != 0)
        return Outcome::fromErrno("tcsetattr");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 || fcntl(master_, F_SETFD, FD_CLOEXEC) != 0)
        return Outcome::fromErrno("fcntl");
    return Outcome::success();
}

Outcome PseudoTerminal::linkTo(const std::string& linkPath)
{
    struct stat existing {};
    if (lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode))
            return Outcome::failure(linkPath + " exists and is not a symbolic link");
        if (unlink(linkPath.c_str()) != 0)
            return Outcome::fromErrno("removing the old link " + linkPath);
    }
    if (symlink(devicePath_.c_str(), linkPath.c_str()) != 0)
        return Outcome::fromErrno("creating the link " + linkPath);
    linkPath_ = linkPath;
    return Outcome::success();
}

void PseudoTerminal::close()
{
    if (!linkPath_.empty())
        unlink(linkPath_.c_str());
    for (int* fd : {&slaveKeeper_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    linkPath_.clear();
    devicePath_.clear();
}

}  // namespace kt::sim
