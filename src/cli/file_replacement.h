#pragma once

#include <string>
#include <string_view>

// A file replaced whole or not at all: a failure part of the way leaves the old file as it was.
namespace kt::cli {

// A cheap check before anything is sent: the folder of `path` exists and may be written, and
// `path` is not a folder.
bool canReplaceFile(const std::string& path);

// Writes `contents` to a new file beside `path`, then renames it over `path`. On failure the
// new file is removed and `path` is untouched. A replaced file keeps its permissions; a new
// one gets those the umask allows.
bool replaceFile(const std::string& path, std::string_view contents);

}  // namespace kt::cli
