#!/usr/bin/env bash
# Installs what is needed, builds everything from scratch and runs every test: the native build
# (unit and X11 integration tests), the same unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows build's unit tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/deps.sh

configure_and_test() {
  local dir=$1
  shift
  rm -rf "$dir"
  cmake -S "$root" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== native build and tests"
configure_and_test build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  configure_and_test build/sanitize -DCMAKE_BUILD_TYPE=Debug -DZARMOK_SANITIZE=ON \
  -DZARMOK_INTEGRATION_TESTS=OFF

echo "== Windows build (MinGW-w64), unit tests under Wine"
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$root/build/wineprefix"
mkdir -p build
wineboot --init >/dev/null 2>&1 || true
configure_and_test build/mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== all test configurations passed"
