#!/usr/bin/env bash
# Installs what is missing, builds the console in Release, runs every benchmark against the
# simulator and prints one table: figure, median, floor, ratio. Each benchmark's own report
# goes to standard error as it runs; the table goes to standard output.
# The build goes to build-bench, or to the folder given as the first argument.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
"$root/scripts/install-deps.sh"

benches=(bench_read_command bench_monitoring bench_log_download bench_address_search bench_startup bench_traffic_log bench_cli bench_serve bench_lending)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKT_SANITIZE= >/dev/null
cmake --build "$build" --target "${benches[@]}" >&2

load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
for bench in "${benches[@]}"; do
  echo "== $bench" >&2
  "$build/bench/$bench" | while IFS= read -r line; do
    echo "$line" >&2
    if [[ $line == "row: "* ]]; then echo "${line#row: }" >>"$rows"; fi
  done
done

echo
echo "$(date +%F), $(nproc) cores ($(uname -m)), Release build, load average $load_at_start at the start and $(cut -d' ' -f1-3 /proc/loadavg) at the end; the ratio is median / floor (for a rate, best / median)."
echo
echo "| figure | median | floor | ratio |"
echo "|---|---|---|---|"
awk -F'|' '{ printf "| %s | %s | %s | %s |\n", $1, $2, $3, $4 }' "$rows"
