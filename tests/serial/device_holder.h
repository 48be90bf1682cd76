#pragma once

#include <string>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kt::serial::test {

// Another program holding a device the way a terminal program does: a child process named
// `program` that opens the device and takes its lock, and keeps both while this object lives.
class DeviceHolder {
public:
    DeviceHolder(const std::string& device, const char* program)
    {
        int ready[2];  // the child says whether it holds the device
        if (::pipe(ready) != 0)
            return;
        processId_ = ::fork();
        if (processId_ == 0) {
            ::prctl(PR_SET_NAME, program);
            const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            if (::write(ready[1], &held, 1) == 1)
                ::pause();  // until this object ends it
            ::_exit(0);
        }
        ::close(ready[1]);
        char held = 0;
        holds_ = processId_ > 0 && ::read(ready[0], &held, 1) == 1 && held;
        ::close(ready[0]);
    }
    ~DeviceHolder()
    {
        if (processId_ > 0 && ::kill(processId_, SIGKILL) == 0)
            ::waitpid(processId_, nullptr, 0);
    }
    DeviceHolder(const DeviceHolder&) = delete;
    DeviceHolder& operator=(const DeviceHolder&) = delete;

    bool holds() const { return holds_; }
    int processId() const { return processId_; }

private:
    int processId_ = -1;
    bool holds_ = false;
};

}  // namespace kt::serial::test
