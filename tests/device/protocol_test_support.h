#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

#include "device/bytes.h"
#include "serial/exchange.h"

// Byte helpers shared by the protocol tests: frames are written as hex, compared as QByteArray
// so that a failure prints both sides.
namespace kt::device::test {

inline Bytes hexBytes(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

inline QByteArray asByteArray(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// A complete frame as it travels: address, the given bytes, checksum. Builds replies as well.
inline Bytes framed(std::uint8_t address, const Bytes& bytes)
{
    return serial::frameRequest(address, bytes);
}

}  // namespace kt::device::test
