# Sourced by the scripts that check the Windows programs under Wine (scripts/check-windows-*.sh):
# the project's Wine prefix, the controller simulator on Wine's COM1, and the checks' tally.
# The sourcing script sets $root first.
"$root/scripts/install-deps.sh" --windows

build="$root/build-windows"
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine hands the environment on: the Windows Qt must pick its own platform plugin.
unset QT_QPA_PLATFORM

processes=()
cleanup()
{
  wineserver -k >>"$wine_log" 2>&1 || true
  local process
  for process in "${processes[@]}"; do kill "$process" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

# A fresh folder for this check's files, $run, with $wine_log in it; everything started is
# ended on exit.
start_wine_session()
{
  run="$build/$1"
  rm -rf "$run"
  mkdir -p "$run"
  wine_log="$run/wine.log"
  trap cleanup EXIT
}

create_wine_prefix()
{
  [ -f "$WINEPREFIX/system.reg" ] && return
  echo "== creating the Wine prefix $WINEPREFIX"
  wineboot -i >>"$wine_log" 2>&1
}

# The Linux programs the checks run beside the Windows ones (the simulator, the tool), from the
# release build that the Debian package is made of: built already where the whole suite runs.
host="$root/build-release"
build_host_programs()
{
  echo "== building $* for Linux"
  "$root/scripts/build-configuration.sh" release "$@" >/dev/null
}

# Qt-free Windows programs (the tool, the backend's test, the serial benchmark), built with
# mingw-w64 into $tool, which needs no Qt for Windows: the suite's Windows compile.
tool="$root/build-mingw"
build_windows_programs()
{
  echo "== building $* for Windows"
  "$root/scripts/build-configuration.sh" mingw "$@" >/dev/null
}

# Stops the check when scripts/build-windows.sh has not made `files` yet.
need_windows_build()
{
  local file
  for file in "$@"; do
    [ -f "$file" ] || { echo "run scripts/build-windows.sh first ($file is missing)" >&2; exit 1; }
  done
}

# An X display of its own for the console's window: $DISPLAY.
start_virtual_display()
{
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$run/display" 2>>"$run/xvfb.log" &
  processes+=($!)
  for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$run/display")"
}

# Starts the simulator with `options` on a pseudo-terminal, $line, records every frame it
# receives in $run/frames.txt, and makes $line Wine's COM1. Wine maps COMn to a Unix device
# from the key below: its mount manager rewrites the dosdevices link (com1 -> /dev/pts/N) from
# it each time the prefix starts, so a link made by hand is replaced.
start_simulator_on_com1()
{
  "$host/sim/kt5270-sim" --link "$run/controller" --record "$run/frames.txt" "$@" >"$run/sim.log" &
  simulator=$!
  processes+=("$simulator")
  for _ in $(seq 50); do [ -e "$run/controller" ] && break; sleep 0.1; done
  line=$(readlink "$run/controller")
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$line" /f >>"$wine_log" 2>&1
  wineserver -k >>"$wine_log" 2>&1 || true
  wineserver -w
}

failures=0
expect()
{
  local what=$1
  shift
  if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}

# True when the background process ends within `seconds`, with exit status 0.
ends_well()
{
  local process=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    [[ "$(ps -o stat= -p "$process" || true)" =~ ^Z|^$ ]] && break
    sleep 0.1
  done
  [[ "$(ps -o stat= -p "$process" || true)" =~ ^Z|^$ ]] && wait "$process"
}

# Ends the check with the tally: `what` passed, or the number of failures.
finish_checks()
{
  local what=$1
  [ "$failures" -eq 0 ] && echo "== $what passed on Wine" && exit 0
  echo "== $failures checks failed; logs in $run" >&2
  exit 1
}
