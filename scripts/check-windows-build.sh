#!/usr/bin/env bash
# Cross-compiles the Qt-free core for 64-bit Windows with mingw-w64, warnings as errors: the
# serial link with its Win32 backend, the protocol and the link that runs commands. Then links
# a small program against them, so that every Win32 call the backend makes resolves. Compiled, not run: there is no
# Windows here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build="$root/build-mingw"
"$root/scripts/build-configuration.sh" mingw

x86_64-w64-mingw32-g++-posix -std=c++20 -Wall -Wextra -Wpedantic -Werror -static \
  -I"$root/src" -x c++ - -x none "$build/src/link/libkt_link.a" "$build/src/serial/libkt_serial.a" \
  "$build/src/device/libkt_device.a" -lwinmm -lws2_32 \
  -o "$build/link-check.exe" <<'PROGRAM'
#include "device/channel_status.h"
#include "link/channel_poll.h"

int main()
{
    auto [port, failure] = kt::serial::openSerialPort(1, 9600);
    if (!port)
        return static_cast<int>(failure.detail.size());
    kt::link::Link link(*port);
    link.drain();
    const auto reading = kt::link::pollChannels(
        link, 1, {.statusRead = [](kt::device::Channel, kt::device::ChannelStatus) {},
                  .distanceRead = [](kt::device::Channel, std::uint16_t) {}});
    return reading.failure ? 1 : 0;
}
PROGRAM
echo "== the Qt-free core builds for Windows: $build/link-check.exe"
