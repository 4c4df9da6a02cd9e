#!/usr/bin/env bash
# Builds the Debian package from scratch in a Release tree: build/package/zarmok_1.04-1_amd64.deb.
# Install it with: sudo apt install ./build/package/zarmok_1.04-1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/package}
rm -rf "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARMOK_TESTS=OFF \
  -DZARMOK_INTEGRATION_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/zarmok_*.deb
