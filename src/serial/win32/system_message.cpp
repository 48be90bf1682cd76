#include "serial/win32/system_message.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::serial {

std::string systemMessage(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n'))
        message.pop_back();  // the system ends its messages with a line break
    if (message.empty())
        return "error " + std::to_string(error);

    const int size = ::WideCharToMultiByte(CP_UTF8, 0, message.data(), static_cast<int>(message.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, message.data(), static_cast<int>(message.size()), utf8.data(), size,
                          nullptr, nullptr);
    return utf8;
}

}  // namespace kt::serial
