#!/usr/bin/env bash
# Installs what is missing, builds the console and runs every test: the whole suite once under
# AddressSanitizer + UndefinedBehaviorSanitizer and, where it runs threads of ours, once under
# ThreadSanitizer, then the Debian package's install check, the Windows compile of kt5270.exe
# and the fuzz targets for a short while; where Qt for Windows is cached, also the Windows
# zip and installer, checked on Wine.
#
# The builds (scripts/build-configuration.sh, each building only what its check runs) go on one
# after another in the background at a lower priority, while the checks of the builds already
# made run in the foreground: the tests sleep on serial time-outs much of the time, and the
# builds use what they leave. Every step ends with a line "time: STEP: W s wall, C s CPU".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$root/tests/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

steps=$(mktemp -d)
builder=""
cleanup() {
  [ -z "$builder" ] || kill -- "-$builder" 2>/dev/null || true
  rm -rf "$steps"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Prints the timing line of what this shell has run since it started at `started` (SECONDS):
# the wall time, and the user and system time of its processes (the second line of `times`;
# `times` runs in this shell, not in a pipeline's subshell, which would see none of them).
time_line() {
  local step=$1 started=$2
  local record="$steps/times.$BASHPID" cpu
  times >"$record"
  cpu=$(awk 'NR == 2 { for (i = 1; i <= 2; ++i) { split($i, t, /[ms]/); sum += t[1] * 60 + t[2] } }
             END { printf "%.0f", sum }' "$record")
  echo "time: $step: $((SECONDS - started)) s wall, $cpu s CPU"
}

# Runs a step in a shell of its own, then prints its timing line. Returns the step's status.
timed() {
  local step=$1
  shift
  (
    started=$SECONDS
    status=0
    "$@" || status=$?
    time_line "$step" "$started"
    exit "$status"
  )
}

# The build lane: each build's output and status land in $steps, read by `built` below. The
# Windows console comes last: the fuzz targets and the Wine check of the tool run while it
# builds, its own Wine checks at the end.
build() {
  local name=$1 status=0
  shift
  timed "build $name" nice -n 10 "$@" >"$steps/$name.log" 2>&1 || status=$?
  echo "$status" >"$steps/$name.status"
}
build_all() {
  local configuration
  for configuration in address thread release mingw fuzz; do
    build "$configuration" "$root/scripts/build-configuration.sh" "$configuration"
  done
  # Where scripts/build-windows.sh has already built Qt for Windows, the Windows console and
  # its zip and installer too (status 3: not cached, nothing built).
  build windows "$root/scripts/build-windows.sh" --if-qt-cached
}
# In a process group of its own, so that an early exit ends the whole lane.
set -m
build_all &
builder=$!
set +m

# Waits for a build of the lane, shows its output and returns its status.
built() {
  until [ -e "$steps/$1.status" ]; do sleep 1; done
  echo "== Build: $1"
  cat "$steps/$1.log"
  return "$(cat "$steps/$1.status")"
}

status=0
passed=0
failed=0
# Runs the suite of a sanitizer build, test executables side by side but for those marked
# RUN_SERIAL, whose time limits want the machine to themselves, and counts the outcomes.
run_suite() {
  local sanitizer=$1 build="$root/build-$1" log="$root/build-$1/ctest.log" selection=()
  [ "$sanitizer" = thread ] && selection=(--label-regex threads)
  echo "== Tests under the $sanitizer sanitizer"
  if built "$sanitizer"; then
    (cd "$build" && timed "tests under $sanitizer" ctest --output-on-failure --timeout 600 \
      --parallel 2 "${selection[@]}" | tee "$log") || status=1
  else
    status=1
    : >"$log"
  fi
  # "100% tests passed, 0 tests failed out of 25"
  local summary total lost
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  lost=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + ${total:-0} - ${lost:-0}))
  failed=$((failed + ${lost:-1}))
}

run_suite address
run_suite thread

echo "== Debian package"
if built release; then timed "Debian package" "$root/scripts/check-package.sh" || status=1; else status=1; fi
echo "== Windows compile of kt5270.exe"
if built mingw; then
  timed "Windows compile" "$root/scripts/check-windows-build.sh" || status=1
else
  status=1
fi
# The Wine checks run only on machines where scripts/build-windows.sh has already built Qt for
# Windows: the tool's (built with mingw-w64 alone) at once, the console's and the installer's
# once the lane has built them.
qt_for_windows=0
"$root/scripts/build-windows.sh" --qt-cached || qt_for_windows=$?
if [ "$qt_for_windows" = 0 ]; then
  echo "== Windows tool on Wine"
  timed "Windows tool on Wine" "$root/scripts/check-windows-tool.sh" || status=1
fi

echo "== Fuzz targets"
if built fuzz; then timed "fuzz targets" "$root/scripts/run-fuzzers.sh" || status=1; else status=1; fi

echo "== Windows console and installer on Wine"
windows=0
built windows || windows=$?
case $windows in
  0)
    for check in console installer; do
      timed "Windows $check on Wine" "$root/scripts/check-windows-$check.sh" || status=1
    done
    ;;
  3) ;;
  *) status=1 ;;
esac

wait "$builder" || true
builder=""
time_line "whole run" 0
echo "tests: $passed passed, $failed failed"
exit $status
