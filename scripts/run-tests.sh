#!/usr/bin/env bash
# Installs what is missing, builds the console and runs every test: once under
# AddressSanitizer + UndefinedBehaviorSanitizer and once under ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$root/tests/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

status=0
for sanitizer in address thread; do
  build="$root/build-$sanitizer"
  echo "== Tests under the $sanitizer sanitizer"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKT_SANITIZE="$sanitizer" >/dev/null
  cmake --build "$build"
  (cd "$build" && ctest --output-on-failure --timeout 600) || status=1
done
exit $status
