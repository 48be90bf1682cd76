#pragma once

#include <string>

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
        int ready[2];    // the child says whether it holds the device
        int release[2];  // closed by this side: the child's cue to end
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        processId_ = ::fork();
        if (processId_ == 0) {
            ::close(release[1]);
            ::prctl(PR_SET_NAME, program);
            const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            char ignored = 0;
            if (::write(ready[1], &held, 1) == 1)
                (void)::read(release[0], &ignored, 1);  // ends when the other side closes
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char held = 0;
        holds_ = processId_ > 0 && ::read(ready[0], &held, 1) == 1 && held;
        ::close(ready[0]);
        releaseFd_ = release[1];
    }
    ~DeviceHolder()
    {
        ::close(releaseFd_);
        if (processId_ > 0)
            ::waitpid(processId_, nullptr, 0);
    }
    DeviceHolder(const DeviceHolder&) = delete;
    DeviceHolder& operator=(const DeviceHolder&) = delete;

    bool holds() const { return holds_; }
    int processId() const { return processId_; }

private:
    int processId_ = -1;
    int releaseFd_ = -1;
    bool holds_ = false;
};

}  // namespace kt::serial::test
