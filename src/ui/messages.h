#pragma once

#include <QStringView>

// The window's own texts that more than one of its files shows. Texts the command-line tool
// shares live in the protocol and link layers; each command's own texts stay beside it.
namespace kt::ui::text {

inline constexpr QStringView kOpenPortFirst = u"请先打开串口!!!";
inline constexpr QStringView kStopMonitoringFirst = u"请先停止监测!!!";
inline constexpr QStringView kStopSearchFirst = u"请先停止搜索!!!";
// The monitoring start, the address search and the zero calibration say it without "!!!".
inline constexpr QStringView kOpenPortFirstPlain = u"请先打开串口";

// Captions that carry state.
inline constexpr QStringView kOpenPort = u"打开串口";
inline constexpr QStringView kClosePort = u"关闭串口";
inline constexpr QStringView kStartMonitoring = u"开始监测";
inline constexpr QStringView kStopMonitoring = u"停止监测";
inline constexpr QStringView kSearchAddress = u"搜索地址";
inline constexpr QStringView kStopSearch = u"停止搜索";

// What the port lamp's picture means, for assistive tools.
inline constexpr QStringView kPortOpenLamp = u"串口已打开";
inline constexpr QStringView kPortClosedLamp = u"串口已关闭";

}  // namespace kt::ui::text
