#include "serial/posix/port_holders.h"

#include "serial/posix/port_resolver.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace kt::serial::posix {
namespace {

namespace fs = std::filesystem;

// Identifies a file whatever name or link reaches it.
struct FileIdentity {
    dev_t device;
    ino_t inode;

    bool operator==(const FileIdentity&) const = default;
};

// Follows links, as the descriptor links under /proc/PID/fd are.
std::optional<FileIdentity> identityOf(const fs::path& path)
{
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

bool hasOpen(const fs::path& process, const FileIdentity& file)
{
    std::error_code error;  // another user's descriptors are closed to us: nothing to see
    for (const fs::directory_entry& descriptor : fs::directory_iterator(process / "fd", error)) {
        if (identityOf(descriptor.path()) == file)
            return true;
    }
    return false;
}

std::string programName(const fs::path& process)
{
    std::ifstream comm(process / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::vector<PortHolder> processesHolding(const std::string& device, const fs::path& proc)
{
    std::vector<PortHolder> holders;
    const std::optional<FileIdentity> file = identityOf(device);
    if (!file)
        return holders;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(proc, error)) {
        // Process directories are named by the process id alone.
        const std::optional<unsigned> processId = numberAfter(entry.path().filename().string(), "");
        if (!processId || static_cast<pid_t>(*processId) == ::getpid() || !hasOpen(entry.path(), *file))
            continue;
        holders.push_back({programName(entry.path()), static_cast<int>(*processId)});
    }
    std::ranges::sort(holders, {}, &PortHolder::processId);
    return holders;
}

}  // namespace kt::serial::posix
