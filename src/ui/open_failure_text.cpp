#include "ui/open_failure_text.h"

#include <QFileInfo>
#include <QStringList>

#include "serial/line_speeds.h"
#include "ui/port_number_combo_box.h"

namespace kt::ui {
namespace {

using Kind = serial::OpenFailure::Kind;

// The ports the list offers whose device is there now, e.g. "现有串口：COM1 = /dev/ttyUSB0。"
QString presentPortsText()
{
    QStringList ports;
    for (int portNumber = 1; portNumber <= PortNumberComboBox::kPortCount; ++portNumber) {
        const QString device = QString::fromStdString(serial::portDevicePath(portNumber));
        if (!device.isEmpty() && QFileInfo::exists(device))
            ports << QStringLiteral("COM%1 = %2").arg(QString::number(portNumber), device);
    }
    if (ports.isEmpty())
        return QStringLiteral("本机没有发现任何串口。");
    return QStringLiteral("现有串口：%1。").arg(ports.join(u'、'));
}

// "minicom（进程号 1234）", several joined by "、".
QString holdersText(const std::vector<serial::PortHolder>& holders)
{
    QStringList names;
    for (const serial::PortHolder& holder : holders)
        names << QStringLiteral("%1（进程号 %2）")
                     .arg(QString::fromStdString(holder.program), QString::number(holder.processId));
    return names.join(u'、');
}

// "2400、4800、9600、19200 或 38400".
QString lineSpeedsText()
{
    QStringList speeds;
    for (const int speed : serial::kLineSpeeds)
        speeds << QString::number(speed);
    const QString last = speeds.takeLast();
    return speeds.join(u'、') + QStringLiteral(" 或 ") + last;
}

}  // namespace

QString openFailureDetail(const serial::OpenFailure& failure, const QString& portName, int baudRate)
{
    const QString device = QString::fromStdString(failure.device);
    switch (failure.kind) {
    case Kind::UnsupportedSpeed:
        return QStringLiteral("波特率只能从列表中选择：%1。").arg(lineSpeedsText());
    case Kind::NoDevice:
        return (device.isEmpty() ? QStringLiteral("%1 没有对应的串口设备。").arg(portName)
                                 : QStringLiteral("%1 对应的设备 %2 不存在。").arg(portName, device))
            + presentPortsText();
    case Kind::AccessDenied:
        return QStringLiteral("当前用户无权访问 %1。请运行 sudo usermod -aG dialout $USER，然后重新登录。")
            .arg(device);
    case Kind::InUse:
        if (failure.holders.empty())
            return QStringLiteral("%1 正被其他程序占用。").arg(device);
        return QStringLiteral("%1 正被 %2占用。").arg(device, holdersText(failure.holders));
    case Kind::SettingsRefused:
        return QStringLiteral("%1 不接受线路设置：%2 波特，8 位数据，无校验，1 位停止。")
            .arg(device, QString::number(baudRate));
    case Kind::Other:
        return QStringLiteral("打开 %1 时系统报告：%2").arg(device, QString::fromStdString(failure.detail));
    }
    return {};
}

}  // namespace kt::ui
