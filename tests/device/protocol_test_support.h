#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

#include "device/bytes.h"
#include "device/date_time.h"

// Byte helpers shared by the protocol tests: frames are written as hex, compared as QByteArray
// so that a failure prints both sides.
namespace kt::device::test {

inline Bytes hexBytes(const QByteArray& hex) { const QByteArray bytes = QByteArray::fromHex(hex); return {bytes.begin(), bytes.end()}; }

inline QByteArray asHex(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex().toUpper();
}

inline QString shown(const DateTime& t)
{
    return QString("%1-%2-%3 %4:%5:%6").arg(t.year).arg(t.month).arg(t.day).arg(t.hour).arg(t.minute).arg(t.second);
}

inline QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace kt::device::test
