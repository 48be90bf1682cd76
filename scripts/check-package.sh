#!/usr/bin/env bash
# Builds a Release console, packs it as a .deb, installs the package with apt-get, runs the
# installed kt5270 --help and starts the installed KT_5270 offscreen to prove that both run,
# and removes the package again together with whatever the install brought in, leaving the
# machine's packages as they were.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
package_name=kt5270
if dpkg-query -W -f='${Status}' "$package_name" 2>/dev/null | grep -q "install ok installed"; then
  echo "$package_name is installed on this machine already; this check would replace it." >&2
  exit 1
fi

build="$root/build-release"
"$root/scripts/build-configuration.sh" release
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$build/packages" >/dev/null)
deb=$(ls "$build"/packages/${package_name}_*.deb)
echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Depends Recommends

installed_before=$(mktemp)
console_output=$(mktemp)
dpkg-query -W -f='${Package}\n' | sort >"$installed_before"
remove_again() {
  local brought_in
  brought_in=$(dpkg-query -W -f='${Package}\n' | sort | comm -13 "$installed_before" -)
  if [ -n "$brought_in" ]; then
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq $brought_in >/dev/null
  fi
  rm -f "$installed_before" "$console_output"
}
trap remove_again EXIT

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
for file in /usr/bin/KT_5270 /usr/bin/kt5270 /usr/bin/kt5270-sim /usr/share/applications/KT_5270.desktop \
            /usr/share/icons/hicolor/{16x16,32x32,48x48,128x128,256x256}/apps/KT_5270.png; do
  [ -f "$file" ] || { echo "not installed: $file" >&2; exit 1; }
done

# The command-line tool needs neither Qt nor a display.
if ! env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/kt5270 --help >"$console_output" 2>&1; then
  echo "the installed kt5270 --help failed:" >&2
  cat "$console_output" >&2
  exit 1
fi

# Still running after two seconds: it started, set up its window and waits for the operator.
QT_QPA_PLATFORM=offscreen /usr/bin/KT_5270 >"$console_output" 2>&1 &
console=$!
sleep 2
if ! kill -0 "$console" 2>/dev/null; then
  echo "the installed KT_5270 did not keep running:" >&2
  cat "$console_output" >&2
  exit 1
fi
kill -TERM "$console"
wait "$console" || true
echo "== installed, started and removed: $package_name"
