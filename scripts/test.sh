#!/usr/bin/env bash
# Installs what is needed, builds everything from scratch and runs every test: the native build
# (unit and X11 integration tests), the Debian package (built, checked, unpacked and run), the
# unit tests of a Release build (-O3, as run.sh builds the
# program, with the warnings only that optimiser reports), the same unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, every fuzz target for 30 s, and the Windows
# Release build (the zarmok.scr users get): its unit tests and the saver under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/deps.sh --fuzz

configure_and_test() {
  local dir=$1
  shift
  rm -rf "$dir"
  cmake -S "$root" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== formatting (clang-format, the repository's .clang-format)"
find src tests tools bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

echo "== native build and tests"
configure_and_test build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Debian package: lintian, unpacked and run as an ordinary user under Xvfb"
bash tests/package/package_test.sh build/package

echo "== Release build and unit tests"
configure_and_test build/release-tests -DCMAKE_BUILD_TYPE=Release -DZARMOK_INTEGRATION_TESTS=OFF

echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  configure_and_test build/sanitize -DCMAKE_BUILD_TYPE=Debug -DZARMOK_SANITIZE=ON \
  -DZARMOK_INTEGRATION_TESTS=OFF

echo "== fuzz targets (clang + libFuzzer, ASan + UBSan), 30 s each"
# From scratch like every other configuration: no corpus of an earlier run carries over.
rm -rf build/fuzz
bash scripts/fuzz.sh 30 build/fuzz

echo "== Windows Release build (MinGW-w64), unit tests and zarmok.scr under Wine"
# A Wine prefix of our own, made fresh inside build/, so no earlier run or user setting leaks in.
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$root/build/wineprefix"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
bash scripts/wine-prefix.sh "$WINEPREFIX"
# A display for programs that open windows; the unit tests themselves need none.
wine_display=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  wine_display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi
# Release, as users get the saver: the Wine tests try the optimised program itself, and one
# Windows configuration keeps the run's time in bounds.
rm -rf build/mingw
cmake -S "$root" -B build/mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build build/mingw -j "$jobs"
(cd build/mingw && "${wine_display[@]}" ctest --output-on-failure --timeout 900 -j "$jobs")

echo "== Windows download: build/mingw/zarmok-1.04-win64.zip"
(cd build/mingw && cpack -G ZIP)

echo "== all test configurations passed"
