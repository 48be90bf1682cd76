#pragma once

#include <string_view>

#include "link/link.h"

namespace kt::link {

// What the console says when the serial port will not open.
inline constexpr std::string_view kPortOpenFailureText =
    "打开串口失败,没有发现此串口或此串口被占用!!!";

// What the console says when a command's reply fails: "读数据错误" or "校验出错!!!".
std::string_view standardFailureText(Failure failure);

// The zero calibration says it in its own words: "无数据返回!" or "通信校验错误!".
std::string_view zeroCalibrationFailureText(Failure failure);

}  // namespace kt::link
