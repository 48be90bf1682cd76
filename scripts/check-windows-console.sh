#!/usr/bin/env bash
# Runs the Windows console from build-windows/KT_5270-windows-x64.zip (scripts/build-windows.sh)
# under Wine in a virtual X display, with COM1 on the controller simulator's pseudo-terminal,
# and checks end to end, through the Win32 serial backend:
#   - KT_5270.exe starts, shows its window (screenshot: build-windows/screenshot-windows.png)
#     and ends when the window is asked to close;
#   - kt5270-console-check.exe, next to it, drives the real window: Qt's Chinese texts are
#     found, COM1 opens and the line is set to 9600 baud 8N1, cable length A is read (the
#     request reaches the simulator byte for byte, the answer shows in the field), monitoring
#     runs for 4 s with its counter rising, and the window closes promptly while monitoring.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-session.sh"
zip="$build/KT_5270-windows-x64.zip"
check_program="$build/cmake/tools/kt5270-console-check.exe"
need_windows_build "$zip" "$check_program"

build_host_programs kt5270-sim
start_wine_session wine-run
start_virtual_display

create_wine_prefix
# Wine draws the title bar's buttons with its Marlett font, which Debian's Wine does not find
# by itself.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# A desktop of its own gives the window the frame and title bar Windows would draw.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$wine_log" 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$wine_log" 2>&1

start_simulator_on_com1 --demo

app="$WINEPREFIX/drive_c/KT_5270"
rm -rf "$app"
unzip -q "$zip" -d "$WINEPREFIX/drive_c"
cp "$check_program" "$app/"

# The virtual desktop is one colour; the window is what remains once that is trimmed away.
# Shot until two in a row agree, so that the window has finished drawing.
screenshot()
{
  local output=$1 previous=""
  for _ in $(seq 60); do
    sleep 0.5
    import -window root -trim +repage "$run/shot.png" 2>/dev/null || continue
    local size
    size=$(identify -format '%wx%h' "$run/shot.png")
    [ "${size%x*}" -ge 400 ] && [ "$size" = "$previous" ] && { mv "$run/shot.png" "$output"; return 0; }
    previous=$size
  done
  return 1
}

echo "== KT_5270.exe on Wine, COM1 on $line"
wine 'C:\KT_5270\KT_5270.exe' >>"$wine_log" 2>&1 &
console=$!
processes+=("$console")
expect "the window shows (build-windows/screenshot-windows.png)" screenshot "$build/screenshot-windows.png"
expect "Wine's COM1 is the simulator's line" [ "$(readlink "$WINEPREFIX/dosdevices/com1")" = "$line" ]
wine taskkill /im KT_5270.exe >>"$wine_log" 2>&1 || true
expect "the console ends when its window is closed" ends_well "$console" 20

echo "== kt5270-console-check.exe drives the window"
wine 'C:\KT_5270\kt5270-console-check.exe' >"$run/check.txt" 2>>"$wine_log" &
checker=$!
processes+=("$checker")
for _ in $(seq 300); do grep -q '^counters:' "$run/check.txt" && break; sleep 0.1; done
stty -F "$line" -a >"$run/line-settings.txt"
expect "the check program ends" ends_well "$checker" 60
sed -i 's/\r$//' "$run/check.txt"  # written in Windows text mode
cat "$run/check.txt"

kill "$simulator"
wait "$simulator" || true

shown() { sed -n "s/^$1: //p" "$run/check.txt"; }
counters=$(shown counters)
status_reads=$(grep -c '^01 04 40 02 00 01 85 ca$' "$run/frames.txt" || true)

expect "Qt's standard buttons in Chinese" [ "$(shown 'standard button')" = "确定" ]
expect "a Chinese font" grep -qE '^font: .*(CJK|WenQuanYi|SimSun|宋体)' "$run/check.txt"
expect "COM1 at 9600 baud selected" [ "$(shown port)" = "COM1 9600" ]
expect "COM1 opened by the Win32 backend, as \\\\.\\COM1" [ "$(shown device)" = '\\.\COM1' ]
expect "the port opens" [ "$(shown 'port open')" = yes ]
line_is_9600_8n1()
{
  grep -q '^speed 9600 baud;' "$run/line-settings.txt" &&
    [ "$(grep -ow -e cs8 -e -parenb -e -cstopb "$run/line-settings.txt" | wc -l)" -eq 3 ]
}
expect "the line is 9600 baud, 8 data bits, no parity, 1 stop bit" line_is_9600_8n1
expect "the read request reached the simulator byte for byte" \
  [ "$(head -n 1 "$run/frames.txt")" = "01 03 60 01 00 02 8b cb" ]
expect "the answer shows in the field" [ "$(shown 'length A')" = "100.00" ]
expect "monitoring: 4 counts, rising, no failures" \
  awk 'NF == 2 { if ($1 <= last || $2 != 0) bad = 1; last = $1; n++ } END { exit bad || n != 4 }' <<<"$counters"
expect "every count is a status read the simulator answered ($status_reads)" \
  [ "$status_reads" -ge "$(tail -n 1 <<<"$counters" | cut -d' ' -f1)" ]
expect "every frame was a well-formed request" [ -z "$(grep '^!' "$run/frames.txt")" ]
expect "the window closed within 2 s while monitoring" [ "$(shown 'closed while monitoring, ms')" -lt 2000 ]
expect "no message box" [ -z "$(shown message)" ]

finish_checks "the Windows console"
