#include "ui/traffic_log_text.h"

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>

namespace kt::ui {
namespace {

QString sourceText(TrafficSource source)
{
    switch (source) {
    case TrafficSource::Command: return QStringLiteral("命令");
    case TrafficSource::Monitoring: return QStringLiteral("监测");
    case TrafficSource::Search: return QStringLiteral("搜索");
    }
    return {};
}

QString directionText(TrafficDirection direction)
{
    switch (direction) {
    case TrafficDirection::Sent: return QStringLiteral("发送");
    case TrafficDirection::Received: return QStringLiteral("接收");
    case TrafficDirection::Discarded: return QStringLiteral("丢弃");
    case TrafficDirection::Closed: return QStringLiteral("断开");
    }
    return {};
}

QString verdictText(const TrafficRow& row)
{
    if (row.direction == TrafficDirection::Closed)
        return QStringLiteral("连接被对方关闭");
    if (row.direction != TrafficDirection::Received)
        return {};
    switch (row.status) {
    case serial::ReplyStatus::Accepted: return QStringLiteral("正确");
    case serial::ReplyStatus::BadChecksum: return QStringLiteral("校验错误");
    case serial::ReplyStatus::ShortReply: break;
    }
    if (row.bytes.empty())
        return QStringLiteral("无应答");
    return QStringLiteral("长度不足 %1/%2").arg(row.bytes.size()).arg(row.expectedLength);
}

QString timeText(std::chrono::system_clock::time_point time)
{
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(sinceEpoch.count())
        .toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString hexText(const std::vector<std::uint8_t>& bytes)
{
    const auto raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<qsizetype>(bytes.size()));
    return QString::fromLatin1(raw.toHex(' ').toUpper());
}

}  // namespace

QString trafficColumnTitle(TrafficColumn column)
{
    switch (column) {
    case TrafficColumn::Time: return QStringLiteral("时间");
    case TrafficColumn::Source: return QStringLiteral("来源");
    case TrafficColumn::Direction: return QStringLiteral("方向");
    case TrafficColumn::Bytes: return QStringLiteral("数据");
    case TrafficColumn::Verdict: return QStringLiteral("结果");
    }
    return {};
}

QString trafficField(const TrafficRow& row, TrafficColumn column)
{
    switch (column) {
    case TrafficColumn::Time: return timeText(row.time);
    case TrafficColumn::Source: return sourceText(row.source);
    case TrafficColumn::Direction: return directionText(row.direction);
    case TrafficColumn::Bytes: return hexText(row.bytes);
    case TrafficColumn::Verdict: return verdictText(row);
    }
    return {};
}

QString trafficLine(const TrafficRow& row)
{
    QStringList fields;
    for (int column = 0; column < kTrafficColumnCount; ++column)
        fields << trafficField(row, static_cast<TrafficColumn>(column));
    return fields.join(QLatin1Char('\t'));
}

bool saveTrafficLog(const QString& path, const TrafficSnapshot& rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (std::size_t index = 0; index < rows.size(); ++index)
        file.write((trafficLine(rows[index]) + QStringLiteral("\r\n")).toUtf8());
    return file.commit();
}

}  // namespace kt::ui
