#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

#include "device/bytes.h"

// Byte helpers shared by the protocol tests: frames are written as hex, compared as QByteArray
// so that a failure prints both sides.
namespace kt::device::test {

inline Bytes hexBytes(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

inline QByteArray asHex(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper();
}

inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kt::device::test
