#!/usr/bin/env bash
# Installs the Debian packages the console needs to build, run and test, where missing.
# With --windows, also what scripts/build-windows.sh and scripts/check-windows-console.sh use.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev
  nlohmann-json3-dev                             # kt5270's JSON output
  libmosquitto-dev prometheus-cpp-dev libsystemd-dev  # kt5270 serve
  mosquitto mosquitto-clients prometheus         # its tests: a broker, promtool
  qt6-translations-l10n
  fonts-noto-cjk
  clang-14 libclang-rt-14-dev libfuzzer-14-dev   # scripts/run-fuzzers.sh
  g++-mingw-w64-x86-64-posix                     # scripts/check-windows-build.sh
  ser2net socat                                  # device servers in front of the simulator, for tests
)
if [ "${1:-}" = --windows ]; then
  packages+=(
    dpkg-dev zip unzip             # Qt's source package; the zip
    wine wine64 fonts-wine         # the console under Wine
    xvfb imagemagick               # its display and screenshot
  )
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
