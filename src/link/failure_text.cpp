#include "link/failure_text.h"

namespace kt::link {

std::string_view standardFailureText(Failure failure)
{
    return failure == Failure::ShortReply ? "读数据错误" : "校验出错!!!";
}

std::string_view zeroCalibrationFailureText(Failure failure)
{
    return failure == Failure::ShortReply ? "无数据返回!" : "通信校验错误!";
}

}  // namespace kt::link
