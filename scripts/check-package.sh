#!/usr/bin/env bash
# Builds a Release console, packs it as a .deb, installs the package with apt-get, checks the
# manual page, the completion, the service unit and the alert rules it installs, runs the
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

# Beside the programs: the manual page, rendered without a complaint and with a section for
# every command the installed tool lists (read through the installed completion); the
# completion; the service, as systemd reads it, and how much of the system it can reach;
# the alert rules, as Prometheus reads them.
man_page=/usr/share/man/man1/kt5270.1.gz
completion=/usr/share/bash-completion/completions/kt5270
unit=/usr/lib/systemd/system/kt5270-serve@.service
alerts=/usr/share/kt5270/kt5270-alerts.yml
for file in "$man_page" "$completion" "$unit" "$alerts" /usr/share/doc/kt5270/examples/serve-ttyUSB0.conf; do
  [ -f "$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
rendered=$(MANWIDTH=100 man --warnings -l "$man_page" 2>"$console_output")
if [ -s "$console_output" ]; then
  echo "man -l $man_page complains:" >&2
  cat "$console_output" >&2
  exit 1
fi
# shellcheck source=/dev/null
commands=$(source "$completion" && _kt5270_commands /usr/bin/kt5270)
[ -n "$commands" ] || { echo "the installed completion finds no commands in kt5270 --help" >&2; exit 1; }
for command in $commands; do
  grep -qx "   $command" <<<"$rendered" || { echo "kt5270(1) has no section for $command" >&2; exit 1; }
done
bash -c "source $completion && complete -p kt5270" >/dev/null
instance=$(mktemp -d)
cp "$unit" "$instance/kt5270-serve@ttyUSB0.service"
systemd-analyze verify "$instance/kt5270-serve@ttyUSB0.service"
systemd-analyze security --offline=true --threshold=20 "$instance/kt5270-serve@ttyUSB0.service" | tail -n 1
rm -rf "$instance"
promtool check rules "$alerts" >/dev/null

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
