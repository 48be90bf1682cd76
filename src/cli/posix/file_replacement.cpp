#include "cli/file_replacement.h"

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kt::cli {
namespace {

namespace fs = std::filesystem;

fs::path folderOf(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The mode a file created at `path` would have: an existing file's own, else 0666 less the umask.
mode_t modeFor(const std::string& path)
{
    struct stat existing{};
    if (::stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool canReplaceFile(const std::string& path)
{
    std::error_code error;
    const fs::path folder = folderOf(path);
    return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0
           && !fs::is_directory(path, error);
}

bool replaceFile(const std::string& path, std::string_view contents)
{
    const fs::path target(path);
    std::string temporary = (folderOf(path) / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace kt::cli
