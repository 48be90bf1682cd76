#pragma once

#include <string_view>

#include "link/link.h"

namespace kt::link {

// What the console says when a command's reply fails: "读数据错误" or "校验出错!!!".
std::string_view standardFailureText(Failure failure);

// The zero calibration says it in its own words: "无数据返回!" or "通信校验错误!".
std::string_view zeroCalibrationFailureText(Failure failure);

}  // namespace kt::link
