#include "cli/file_replacement.h"

#include <filesystem>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::cli {

namespace fs = std::filesystem;

bool canReplaceFile(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(fs::absolute(path, error).parent_path(), error) && !fs::is_directory(path, error);
}

// ReplaceFile keeps the old file's attributes and permissions; a new file takes its folder's.
bool replaceFile(const std::string& path, std::string_view contents)
{
    std::error_code error;
    const fs::path target = fs::absolute(path, error);
    wchar_t temporary[MAX_PATH];
    if (error || ::GetTempFileNameW(target.parent_path().c_str(), L"kt", 0, temporary) == 0)
        return false;
    const HANDLE file = ::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool replaced = file != INVALID_HANDLE_VALUE
                    && ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr)
                    && written == contents.size() && ::FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        replaced = ::CloseHandle(file) && replaced;
    replaced = replaced
               && (fs::exists(target, error)
                       ? ::ReplaceFileW(target.c_str(), temporary, nullptr, 0, nullptr, nullptr)
                       : ::MoveFileExW(temporary, target.c_str(), MOVEFILE_WRITE_THROUGH));
    if (!replaced)
        ::DeleteFileW(temporary);
    return replaced;
}

}  // namespace kt::cli
