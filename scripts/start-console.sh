#!/usr/bin/env bash
# Installs what is missing, builds the console and the controller simulator, and starts the
# console with COM1 attached to the simulator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target KT_5270 kt5270-sim

link="${XDG_RUNTIME_DIR:-/tmp}/kt5270-simulator-$(id -u)"
"$build/sim/kt5270-sim" --link "$link" --address 1 --demo &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

echo "Simulated controller on $link (COM1, station address 1)."
KT5270_COM1="$link" "$build/src/app/KT_5270"
