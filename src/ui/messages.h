#pragma once

#include <QStringView>

// The window's own texts that more than one of its parts shows. Texts the command-line tool
// shares live in the protocol and link layers; each part's own texts stay beside it.
namespace kt::ui::text {

inline constexpr QStringView kOpenPortFirst = u"请先打开串口!!!";
// The monitoring start, the address search and the zero calibration say it without "!!!".
inline constexpr QStringView kOpenPortFirstPlain = u"请先打开串口";

}  // namespace kt::ui::text
