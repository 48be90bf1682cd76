#!/usr/bin/env bash
# Builds kt5270.exe and the Win32 backend's test for 64-bit Windows (mingw-w64; no Qt needed)
# and runs them under Wine with COM1 on the controller simulator:
#   - kt5270.exe carries the project's version;
#   - the backend holds the timer resolution at 1 ms exactly while a port is open;
#   - kt5270.exe --port COM1 writes byte for byte what the Linux tool writes for the same
#     commands against the same simulator (status, get length a, log download, also into a
#     file it replaces);
#   - kt5270.exe --port tcp://127.0.0.1:PORT, and COM2 through KT5270_COM2=tcp://..., do the
#     same through a device server (socat on loopback, in front of the simulator), and a
#     refused connection ends with exit code 3 and the Linux tool's message;
#   - Ctrl+C ends a --watch through the console's control handler, with its tally;
#   - in a console whose code page is 936, its Chinese texts read as they should.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-session.sh"

build_windows_programs kt5270 test_timer_resolution
build_host_programs kt5270-sim kt5270

start_wine_session wine-tool
create_wine_prefix
start_simulator_on_com1 --log-records 12 --leak-b 42.5
app="$WINEPREFIX/drive_c/kt5270"
rm -rf "$app"
mkdir -p "$app"
cp "$tool/src/cli/kt5270.exe" "$tool/tests/win32/test_timer_resolution.exe" "$app/"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tool/CMakeCache.txt")
expect "kt5270.exe's version resource: product KT_5270, version $version" \
  [ "$(strings -el "$app/kt5270.exe" | grep -A1 -x -e ProductName -e ProductVersion | grep -v -e -- -e Product | tr '\n' ' ')" = "KT_5270 $version " ]

echo "== the Win32 backend's timer resolution"
expect "raised at each open, lowered at each close" \
  bash -c "cd '$app' && wine test_timer_resolution.exe | tee '$run/timer.txt'"

echo "== kt5270.exe beside the Linux kt5270, COM1 on $line"
windows_port=COM1
linux_port=$line
compare()
{
  local name=$1
  shift
  wine 'C:\kt5270\kt5270.exe' --port "$windows_port" "$@" >"$run/$name.windows" 2>>"$run/stderr.windows" &&
    "$host/src/cli/kt5270" --port "$linux_port" "$@" >"$run/$name.linux" 2>>"$run/stderr.linux" &&
    [ -s "$run/$name.linux" ] && cmp "$run/$name.windows" "$run/$name.linux"
}
expect "status: the same line" compare status status
expect "get length a: the same line" compare length get length a
expect "log download: the same GBK file, byte for byte" compare log log download
echo "an older log" >"$app/log.txt"
expect "log download --output: the file replaced by the same bytes" bash -c \
  "wine 'C:\\kt5270\\kt5270.exe' --port COM1 log download --output 'C:\\kt5270\\log.txt' && cmp '$app/log.txt' '$run/log.linux'"

wine 'C:\kt5270\kt5270.exe' --port COM256 status 2>"$run/com256.txt" || true
expect "--port COM256 opens \\\\.\\COM256" grep -qF '\\.\COM256' "$run/com256.txt"

echo "== kt5270.exe on a device server at tcp://127.0.0.1"
# A loopback port that no socket of this machine uses at this moment.
free_loopback_port()
{
  local port
  while :; do
    port=$((49152 + RANDOM % 16384))
    grep -qi ":$(printf '%04X' "$port") " /proc/net/tcp /proc/net/tcp6 || { echo "$port"; return; }
  done
}
server=tcp://127.0.0.1:$(free_loopback_port)
# socat opens the simulator's line afresh for each connection, as a device server forwards it;
# -t 0: a connection's child ends as soon as its client has gone, before it can take the next
# client's reply from the line.
socat -t 0 TCP-LISTEN:"${server##*:}",bind=127.0.0.1,reuseaddr,fork FILE:"$line",raw,echo=0 2>>"$run/socat.log" &
processes+=($!)
for _ in $(seq 50); do
  grep -q ":$(printf '%04X' "${server##*:}") 00000000:0000 0A" /proc/net/tcp && break
  sleep 0.1
done
windows_port=$server linux_port=$server
expect "--port $server status: the same line" compare tcp-status status
windows_port=COM2
export KT5270_COM2=$server  # Wine hands the environment on
expect "COM2 through KT5270_COM2=$server: the same line" compare com2-status status
unset KT5270_COM2
refused=tcp://127.0.0.1:$(free_loopback_port)
exit_code=0
wine 'C:\kt5270\kt5270.exe' --port "$refused" status 2>"$run/refused.windows" || exit_code=$?
"$host/src/cli/kt5270" --port "$refused" status 2>"$run/refused.linux" || true
expect "--port $refused: exit code 3" [ "$exit_code" -eq 3 ]
expect "and the Linux tool's message, that the connection was refused" \
  bash -c "grep -q '拒绝连接' '$run/refused.linux' && cmp '$run/refused.windows' '$run/refused.linux'"

echo "== Ctrl+C ends a watch"
wine 'C:\kt5270\kt5270.exe' --port COM1 status --watch --period 100 >"$run/watch.out" 2>"$run/watch.err" &
watch=$!
processes+=("$watch")
for _ in $(seq 300); do [ -s "$run/watch.out" ] && break; sleep 0.1; done
# Wine hands SIGINT to the process as the console's CTRL_C_EVENT.
kill -INT "$watch"
expect "the watch ends at once with status 0" ends_well "$watch" 5
expect "and reports its rounds" grep -q 'rounds: [0-9]* answered, 0 did not answer' "$run/watch.err"

echo "== Chinese in a console with code page 936"
# A failed open's message, shown by a console under a terminal (script(1) provides it).
LANG=C.UTF-8 script -qec "wine cmd /c 'chcp 936 >nul & C:\\kt5270\\kt5270.exe --port COM200 status'" \
  /dev/null >"$run/console.txt" || true
expect "the console shows the message in Chinese" grep -q '打开串口失败' "$run/console.txt"

finish_checks "kt5270.exe"
