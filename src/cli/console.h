#pragma once

#include <cstdio>
#include <string_view>

// Where the tool's text meets the terminal. Each platform has its own implementation.
namespace kt::cli {

// Sets up the standard streams once, before anything is written: on Windows they carry bytes
// unchanged (no CR added before LF), as on Linux.
void prepareStandardStreams();

// Writes UTF-8 `text` to `stream`, which is stdout or stderr. Where the stream is a Windows
// console it is shown as the characters it encodes; everywhere else the bytes go out as they are.
void writeText(std::FILE* stream, std::string_view text);

}  // namespace kt::cli
