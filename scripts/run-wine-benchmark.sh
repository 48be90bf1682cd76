#!/usr/bin/env bash
# Sets the serial path under Wine beside Linux in one run: bench/bench_serial_path, built for both,
# against one simulator (Wine through its COM1), a read command's time and the monitoring's
# cycles a second at period 0. Each side runs three times, alternating; the medians are shown.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-session.sh"

build_windows_programs bench_serial_path
build_host_programs kt5270-sim bench_serial_path

start_wine_session wine-benchmark
create_wine_prefix
start_simulator_on_com1
cp "$tool/bench/bench_serial_path.exe" "$WINEPREFIX/drive_c/"

for round in 1 2 3; do
  "$host/bench/bench_serial_path" "$line" | sed 's/^row: /linux|/' >>"$run/rows.txt"
  wine 'C:\bench_serial_path.exe' COM1 | tr -d '\r' | sed 's/^row: /wine|/' >>"$run/rows.txt"
  echo "   round $round done"
done

# The median of one side's runs of `figure`: "55.2 ms".
median()
{
  grep -F "$1|$2 |" "$run/rows.txt" | cut -d'|' -f3 | sort -n | sed -n 2p | sed 's/^ *//'
}
# The ratio is of the time taken, Wine's to Linux's: a rate's inverse.
echo "| figure | Linux | Wine | Wine's time / Linux's |"
echo "|---|---|---|---|"
cut -d'|' -f2 "$run/rows.txt" | sed 's/ *$//' | awk '!seen[$0]++' | while read -r figure; do
  linux=$(median linux "$figure")
  wine=$(median wine "$figure")
  ratio=$(awk -v w="${wine%% *}" -v l="${linux%% *}" -v rate="$([[ $wine == */s ]] && echo 1)" \
    'BEGIN { printf "%.2f", rate ? l / w : w / l }')
  echo "| $figure | $linux | $wine | $ratio |"
done
