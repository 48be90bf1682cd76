#include "link/open_failure_text.h"

#include <filesystem>
#include <vector>

#include "serial/line_speeds.h"
#include "serial/tcp_address.h"

namespace kt::link {
namespace {

using Kind = serial::OpenFailure::Kind;

std::string joined(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string text;
    for (const std::string& part : parts)
        text.append(text.empty() ? "" : separator).append(part);
    return text;
}

// The ports the console offers whose device is there now, e.g. "现有串口：COM1 = /dev/ttyUSB0。"
std::string presentPortsText()
{
    std::vector<std::string> ports;
    for (int portNumber = 1; portNumber <= serial::kPortCount; ++portNumber) {
        const std::string device = serial::portDevicePath(portNumber);
        std::error_code error;
        if (!device.empty() && (serial::namesTcpAddress(device) || std::filesystem::exists(device, error)))
            ports.push_back("COM" + std::to_string(portNumber) + " = " + device);
    }
    if (ports.empty())
        return "本机没有发现任何串口。";
    return "现有串口：" + joined(ports, "、") + "。";
}

// "minicom（进程号 1234）", several joined by "、".
std::string holdersText(const std::vector<serial::PortHolder>& holders)
{
    std::vector<std::string> names;
    for (const serial::PortHolder& holder : holders)
        names.push_back(holder.program + "（进程号 " + std::to_string(holder.processId) + "）");
    return joined(names, "、");
}

}  // namespace

std::string openFailureDetail(const serial::OpenFailure& failure, std::string_view portName,
                              int baudRate)
{
    const std::string& device = failure.device;
    const std::string port(portName);
    switch (failure.kind) {
    case Kind::UnsupportedSpeed:
        return "波特率只能从列表中选择：" + serial::lineSpeedList("、", " 或 ") + "。";
    case Kind::NoDevice:
        return (device.empty() ? port + " 没有对应的串口设备。"
                               : port + " 对应的设备 " + device + " 不存在。")
            + presentPortsText();
    case Kind::AccessDenied:
        return "当前用户无权访问 " + device + "。请运行 sudo usermod -aG dialout $USER，然后重新登录。";
    case Kind::InUse:
        if (failure.holders.empty())
            return device + " 正被其他程序占用。";
        return device + " 正被 " + holdersText(failure.holders) + "占用。";
    case Kind::SettingsRefused:
        return device + " 不接受线路设置：" + std::to_string(baudRate)
            + " 波特，8 位数据，无校验，1 位停止。";
    case Kind::BadAddress:
        return device + " 不是有效的串口服务器地址，应写作 tcp://主机:端口，例如 tcp://192.168.1.200:4001。";
    case Kind::HostNotFound:
        return "找不到 " + device + " 中的主机：请检查主机名，或改用 IP 地址。";
    case Kind::ConnectionRefused:
        return device + " 拒绝连接：该端口上没有服务在监听，可能端口号有误或串口服务器未开机；"
            "只接受一个客户端的串口服务器在已有连接时也会拒绝。";
    case Kind::NoAnswer:
        return device + " 在 " + std::to_string(serial::kConnectTimeout.count())
            + " 秒内没有应答：可能地址有误，或连接被防火墙阻挡。";
    case Kind::DroppedByPeer:
        return device + " 接受连接后随即断开：串口服务器大多只接受一个客户端，可能已有其他程序连接着它。";
    case Kind::Other:
        return "打开 " + device + " 时系统报告：" + failure.detail;
    }
    return {};
}

}  // namespace kt::link
