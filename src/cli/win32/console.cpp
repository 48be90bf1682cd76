#include "cli/console.h"

#include <fcntl.h>
#include <io.h>

#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::cli {
namespace {

// The console behind `stream`, or null when the stream goes to a file or a pipe.
HANDLE consoleOf(std::FILE* stream)
{
    const HANDLE handle = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

std::wstring utf16(std::string_view text)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

}  // namespace

// Redirected output stays the UTF-8 (or, for the log's text file, GBK) bytes the tool writes,
// line ends included.
void prepareStandardStreams()
{
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

// A console shows bytes in its own code page (936 on Chinese Windows), so text for it is handed
// over as UTF-16, whatever that code page is.
void writeText(std::FILE* stream, std::string_view text)
{
    const HANDLE console = consoleOf(stream);
    if (!console) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream);  // whatever went out as bytes comes first
    const std::wstring wide = utf16(text);
    DWORD written = 0;
    ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace kt::cli
