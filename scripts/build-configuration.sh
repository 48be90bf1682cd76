#!/usr/bin/env bash
# Configures and builds one of the checked build configurations in build-CONFIGURATION, and only
# what its check runs (or only the targets named after it):
#   address   the tests, under AddressSanitizer + UndefinedBehaviorSanitizer
#   thread    the tests that run threads of ours, under ThreadSanitizer
#   fuzz      the libFuzzer targets and the libraries they test (clang-14)
#   release   the programs, icons and menu entry that the Debian package installs, and the
#             benchmarks and tools beside them, which nothing else builds
#   mingw     kt5270.exe and the Qt-free core under it, for 64-bit Windows (mingw-w64),
#             warnings as errors, and the Win32 backend's test that the Wine check runs
# Each is a unity build (a few sources compiled as one), which the checks need only once;
# ccache is used where it is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
configuration=${1:-}
shift || true

options=(-G Ninja -Wno-dev -DCMAKE_UNITY_BUILD=ON)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
compilers=()
case $configuration in
  address | thread)
    # -g1: the sanitizers' reports need functions, files and lines, not variables; a fifth of
    # the build's time.
    options+=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKT_SANITIZE="$configuration" -DKT_BUILD_EXTRAS=OFF)
    targets=(kt_tests)
    [ "$configuration" = thread ] && targets=(kt_threaded_tests)
    ;;
  fuzz)
    compilers=(CC=clang-14 CXX=clang++-14)
    options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT_BUILD_FUZZERS=ON -DKT_BUILD_UI=OFF -DKT_BUILD_TESTS=OFF)
    targets=(fuzzers)
    ;;
  release)
    options+=(-DCMAKE_BUILD_TYPE=Release -DKT_BUILD_TESTS=OFF -DKT_BUILD_EXTRAS=ON)
    targets=(all)
    ;;
  mingw)
    # -O2: GCC 12's -O3 reports a false -Wrestrict inside std::string assignments.
    options+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
              -DKT_BUILD_UI=OFF -DKT_BUILD_TESTS=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
    targets=(kt5270 test_timer_resolution)
    ;;
  *)
    echo "usage: $0 address|thread|fuzz|release|mingw [TARGET...]" >&2
    exit 2
    ;;
esac

[ $# -gt 0 ] && targets=("$@")

build="$root/build-$configuration"
env "${compilers[@]}" cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}"
