#include "serial/serial_port.h"

#include "serial/line_speeds.h"
#include "serial/port_override.h"
#include "serial/tcp_address.h"
#include "serial/tcp_serial_port.h"
#include "serial/win32/system_message.h"
#include "serial/win32/timer_resolution.h"

#include <string>
#include <utility>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kt::serial {
namespace {

constexpr COMMTIMEOUTS kTimeouts{
    .ReadIntervalTimeout = kTransferLimits.readGapMs,
    .ReadTotalTimeoutMultiplier = kTransferLimits.readPerByteMs,
    .ReadTotalTimeoutConstant = kTransferLimits.readBaseMs,
    .WriteTotalTimeoutMultiplier = kTransferLimits.writePerByteMs,
    .WriteTotalTimeoutConstant = kTransferLimits.writeBaseMs,
};

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
    ~Win32SerialPort() override { ::CloseHandle(handle_); }

    // Changes exactly the framing, the DTR line and abort-on-error; every other setting
    // (flow control, special characters, binary mode) stays as the driver has it.
    bool applyLineSettings(int baudRate)
    {
        DCB settings{};
        settings.DCBlength = sizeof(settings);
        ::GetCommState(handle_, &settings);  // on failure the fields below are still set
        settings.BaudRate = static_cast<DWORD>(baudRate);
        settings.ByteSize = 8;
        settings.Parity = NOPARITY;
        settings.StopBits = ONESTOPBIT;
        settings.fDtrControl = DTR_CONTROL_DISABLE;
        settings.fAbortOnError = FALSE;
        return ::SetCommState(handle_, &settings) != FALSE;
    }

    void prepareTransfers()
    {
        clearLineErrors(nullptr);
        COMMTIMEOUTS timeouts = kTimeouts;
        ::SetCommTimeouts(handle_, &timeouts);  // a driver that refuses keeps its own
        // Whatever waited before the open is not for us.
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    }

    std::uint32_t queuedInputCount() override
    {
        COMSTAT status{};
        return clearLineErrors(&status) ? status.cbInQue : 0;
    }

    // Callers go by the count of bytes read alone, never by the call's success.
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        DWORD received = 0;
        ::ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &received, nullptr);
        return received;
    }

    // A failed or timed-out write shows up as the reply that never comes.
    void write(std::span<const std::uint8_t> bytes) override
    {
        DWORD sent = 0;
        ::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &sent, nullptr);
    }

private:
    // A latched line error (framing, parity, overrun) is read and dropped, so it never stalls
    // the port.
    bool clearLineErrors(COMSTAT* status)
    {
        DWORD errors = 0;
        return ::ClearCommError(handle_, &errors, status) != FALSE;
    }

    HANDLE handle_;
    FineTimerResolution timerResolution_;  // from the open to the close
};

}  // namespace

OpenResult openSerialDevice(const std::string& device, int baudRate)
{
    if (!isSupportedBaudRate(baudRate))
        return OpenFailure(OpenFailure::Kind::UnsupportedSpeed);
    if (namesTcpAddress(device))
        return openTcpPort(device);
    if (device.empty())
        return OpenFailure(OpenFailure::Kind::NoDevice);

    // No sharing: a port another program holds fails to open here. The system's error says
    // which of missing, in use or denied it is, in the user's language.
    const HANDLE handle = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return OpenFailure(OpenFailure::Kind::Other, device, {}, systemMessage(::GetLastError()));
    auto port = std::make_unique<Win32SerialPort>(handle);  // closes the device on every return
    if (!port->applyLineSettings(baudRate))
        return OpenFailure(OpenFailure::Kind::SettingsRefused, device);
    port->prepareTransfers();
    return OpenResult(std::move(port));
}

// The system names its own COM ports; the override variable only adds device servers, as
// a virtual COM driver would. The "\\.\" form also reaches COM10 and above, which the bare
// name does not.
std::string portDevicePath(int portNumber)
{
    if (portNumber <= 0)
        return {};
    if (std::string overridden = environmentValue(portOverrideVariable(portNumber)); namesTcpAddress(overridden))
        return overridden;
    return "\\\\.\\COM" + std::to_string(portNumber);
}

}  // namespace kt::serial
