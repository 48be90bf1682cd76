#!/usr/bin/env bash
# Cross-compiles kt5270.exe for 64-bit Windows with mingw-w64, warnings as errors: the Qt-free
# core (the serial link with its Win32 and Winsock backends, the protocol, the link that runs
# commands) and the tool on top of it, linked, so that every Win32 call resolves. Then checks
# that the tool needs no DLL beyond Windows' own. Compiled, not run: there is no Windows here
# (scripts/check-windows-tool.sh runs it on Wine where Qt for Windows is cached).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build="$root/build-mingw"
"$root/scripts/build-configuration.sh" mingw
tool="$build/src/cli/kt5270.exe"
foreign=$(x86_64-w64-mingw32-objdump -p "$tool" | sed -n 's/^\s*DLL Name: //p' |
  grep -viE '^(kernel32|advapi32|ws2_32|winmm|msvcrt|user32|shell32)\.dll$' || true)
if [ -n "$foreign" ]; then
  echo "kt5270.exe needs DLLs that Windows does not have: $foreign" >&2
  exit 1
fi
echo "== kt5270.exe builds for Windows and needs only Windows' own DLLs: $tool"
