#!/usr/bin/env bash
# Installs what is missing, builds the console and runs every test: the whole suite once under
# AddressSanitizer + UndefinedBehaviorSanitizer and once under ThreadSanitizer, then the fuzz
# targets for a short while, the Debian package's install check and the Windows compile of the
# Qt-free core; where Qt for Windows is cached, also the Windows zip and installer, checked on
# Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$root/tests/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

status=0
passed=0
failed=0
for sanitizer in address thread; do
  build="$root/build-$sanitizer"
  echo "== Tests under the $sanitizer sanitizer"
  cmake -S "$root" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug \
    -DKT_SANITIZE="$sanitizer" -DKT_BUILD_EXTRAS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$build"
  log="$build/ctest.log"
  (cd "$build" && ctest --output-on-failure --timeout 600 | tee "$log") || status=1
  # "100% tests passed, 0 tests failed out of 25"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  lost=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + ${total:-0} - ${lost:-0}))
  failed=$((failed + ${lost:-1}))
done

echo "== Fuzz targets"
"$root/scripts/run-fuzzers.sh" || status=1
echo "== Debian package"
"$root/scripts/check-package.sh" || status=1
echo "== Windows compile of the Qt-free core"
"$root/scripts/check-windows-build.sh" || status=1
# Only on machines where scripts/build-windows.sh has already built Qt for Windows.
echo "== Windows console, tool and installer on Wine"
built=0
"$root/scripts/build-windows.sh" --if-qt-cached || built=$?
case $built in
  0)
    for check in console tool installer; do
      "$root/scripts/check-windows-$check.sh" || status=1
    done
    ;;
  3) ;;
  *) status=1 ;;
esac

echo "tests: $passed passed, $failed failed"
exit $status
