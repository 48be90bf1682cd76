#!/usr/bin/env bash
# Installs build-windows/KT_5270-windows-x64.msi (scripts/build-windows.sh) silently under Wine,
# with COM1 on the controller simulator, and checks:
#   - every file of the zip is installed into Program Files, with the two Start-menu entries and
#     the entry in Apps & Features, carrying the project's version;
#   - the installed KT_5270.exe starts and stays up; the installed Qt, next to
#     kt5270-console-check.exe, reads cable length A from the simulator into the real window;
#   - kt5270.exe runs as typed in a command prompt in the install folder and reads length A;
#   - an installer of a newer version replaces the installed one, leaving one entry;
#   - a silent uninstall removes every file, folder and entry the installer made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-session.sh"
msi="$build/KT_5270-windows-x64.msi"
check_program="$build/cmake/tools/kt5270-console-check.exe"
need_windows_build "$msi" "$check_program"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/cmake/CMakeCache.txt")

build_host_programs kt5270-sim
start_wine_session wine-installer
start_virtual_display
create_wine_prefix
start_simulator_on_com1

folder="$WINEPREFIX/drive_c/Program Files/KT_5270"
installed_files() { [ -d "$folder" ] && (cd "$folder" && find . -type f | sort); }
menu_entries() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/KT_5270/*.lnk' -printf '%f\n' | sort; }
# "name version" of each KT_5270 entry in Apps & Features.
uninstall_entries()
{
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>>"$wine_log" | tr -d '\r' |
    awk '$1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { if (name == "KT_5270") print name, $3; name = "" }'
}

echo "== silent install of $(basename "$msi")"
expect "msiexec /i /qn succeeds" wine msiexec /i "$msi" /qn
expect "every file of the zip, in Program Files\\KT_5270" \
  [ "$(installed_files)" = "$(cd "$build/KT_5270" && find . -type f | sort)" ]
expect "the Start menu holds the console and the command prompt" \
  [ "$(menu_entries | tr '\n' '|')" = "KT_5270.lnk|kt5270 command prompt.lnk|" ]
expect "Apps & Features lists KT_5270 $version" [ "$(uninstall_entries)" = "KT_5270 $version" ]

echo "== the installed programs, COM1 on $line"
wine "C:\\Program Files\\KT_5270\\KT_5270.exe" >>"$wine_log" 2>&1 &
console=$!
processes+=("$console")
sleep 5
expect "KT_5270.exe starts and stays up" kill -0 "$console"
wine taskkill /im KT_5270.exe >>"$wine_log" 2>&1 || true
expect "and ends when its window is closed" ends_well "$console" 20

cp "$check_program" "$folder/"
wine "C:\\Program Files\\KT_5270\\kt5270-console-check.exe" >"$run/check.txt" 2>>"$wine_log" || true
rm "$folder/kt5270-console-check.exe"
expect "the installed Qt reads cable length A into the window" grep -q '^length A: 100.00' "$run/check.txt"
# As the Start menu's command prompt opens: cmd in the install folder (Wine starts a program in
# the Windows folder of the Unix one it is started in).
(cd "$folder" && wine cmd /c kt5270 --port COM1 get length a) >"$run/tool.txt" 2>>"$wine_log" || true
expect "kt5270 runs as typed in the install folder and reads length A" grep -q '^100.00' "$run/tool.txt"

echo "== an upgrade"
next="${version%%.*}.$(cut -d. -f2 <<<"$version").$(($(cut -d. -f3 <<<"$version") + 1))"
"$root/packaging/windows/make-msi.sh" "$build/KT_5270" "$next" "$build/KT_5270.ico" "$run/next.msi" >/dev/null
expect "the installer of $next installs over $version" wine msiexec /i "$run/next.msi" /qn
expect "one entry is left, $next" [ "$(uninstall_entries)" = "KT_5270 $next" ]
expect "with every file in place" [ "$(installed_files)" = "$(cd "$build/KT_5270" && find . -type f | sort)" ]

echo "== silent uninstall"
expect "msiexec /x /qn succeeds" wine msiexec /x "$run/next.msi" /qn
expect "Program Files\\KT_5270 is gone" [ ! -e "$folder" ]
expect "the Start-menu entries are gone" [ -z "$(menu_entries)" ]
expect "Apps & Features no longer lists it" [ -z "$(uninstall_entries)" ]

finish_checks "the Windows installer"
