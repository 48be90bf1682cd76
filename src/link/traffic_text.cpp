#include "link/traffic_text.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <string_view>

namespace kt::link {
namespace {

using serial::ReplyVerdict;

std::string_view sourceText(TrafficSource source)
{
    switch (source) {
    case TrafficSource::Command: return "命令";
    case TrafficSource::Monitoring: return "监测";
    case TrafficSource::Search: return "搜索";
    }
    return {};
}

std::string_view directionText(TrafficDirection direction)
{
    switch (direction) {
    case TrafficDirection::Sent: return "发送";
    case TrafficDirection::Received: return "接收";
    case TrafficDirection::Discarded: return "丢弃";
    case TrafficDirection::Closed: return "断开";
    }
    return {};
}

std::string hexByte(std::uint8_t byte)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

// The standard Modbus exception codes by their usual names; 09 is unassigned.
std::string_view exceptionName(std::uint8_t code)
{
    constexpr std::array<std::string_view, 12> kNames{
        "",           "非法功能",   "非法数据地址",   "非法数据值",
        "从站设备故障", "确认",      "从站设备忙",     "否定确认",
        "存储奇偶性差错", "",         "不可用网关路径", "网关目标设备响应失败"};
    return code < kNames.size() ? kNames[code] : std::string_view();
}

std::string verdictText(const TrafficRow& row)
{
    switch (row.verdict) {
    case ReplyVerdict::Accepted: return "正确";
    case ReplyVerdict::NoReply: return "无应答";
    case ReplyVerdict::BadChecksum: return "校验错误";
    case ReplyVerdict::ShortReply:
        return "长度不足 " + std::to_string(row.bytes.size()) + "/" + std::to_string(row.expectedLength);
    case ReplyVerdict::Exception: {
        const std::string_view name = exceptionName(row.code);
        return "异常应答 " + hexByte(row.code) + (name.empty() ? "" : "（" + std::string(name) + "）");
    }
    case ReplyVerdict::OtherStation: return "站号不符 " + hexByte(row.code);
    case ReplyVerdict::OtherFunction: return "功能码不符 " + hexByte(row.code);
    }
    return {};
}

std::string timeText(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millisecond = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 time.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &seconds);
#else
    ::localtime_r(&seconds, &local);
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millisecond));
    return text;
}

std::string hexText(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes)
        text.append(text.empty() ? "" : " ").append(hexByte(byte));
    return text;
}

}  // namespace

std::string trafficColumnTitle(TrafficColumn column)
{
    switch (column) {
    case TrafficColumn::Time: return "时间";
    case TrafficColumn::Source: return "来源";
    case TrafficColumn::Direction: return "方向";
    case TrafficColumn::Bytes: return "数据";
    case TrafficColumn::Verdict: return "结果";
    case TrafficColumn::ResponseTime: return "响应时间(ms)";
    }
    return {};
}

std::string trafficField(const TrafficRow& row, TrafficColumn column)
{
    const bool reply = row.direction == TrafficDirection::Received;
    switch (column) {
    case TrafficColumn::Time: return timeText(row.time);
    case TrafficColumn::Source: return std::string(sourceText(row.source));
    case TrafficColumn::Direction: return std::string(directionText(row.direction));
    case TrafficColumn::Bytes: return hexText(row.bytes);
    case TrafficColumn::Verdict:
        if (row.direction == TrafficDirection::Closed)
            return "连接被对方关闭";
        return reply ? verdictText(row) : std::string();
    case TrafficColumn::ResponseTime: return reply ? std::to_string(row.responseTimeMs) : std::string();
    }
    return {};
}

std::string trafficLine(const TrafficRow& row)
{
    std::string line;
    for (int column = 0; column < kTrafficColumnCount; ++column)
        line.append(column == 0 ? "" : "\t").append(trafficField(row, static_cast<TrafficColumn>(column)));
    return line;
}

}  // namespace kt::link
