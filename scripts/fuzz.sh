#!/usr/bin/env bash
# Builds the settings fuzz target with clang + libFuzzer (ASan, UBSan) and runs it.
# Usage: scripts/fuzz.sh [seconds] [build dir]   (default 600 s, build/fuzz). Not run by CI.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
dir=${2:-build/fuzz}

bash scripts/deps.sh --fuzz
cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++
cmake --build "$dir" --target settings_fuzz -j 2

# The corpus lives in the build folder: it is the run's by-product, not part of the sources.
mkdir -p "$dir/corpus"
printf '\0030x1E' >"$dir/corpus/seed-hex"
printf '\001 30\n0\n$1E\n-2147483648\n2\n' >"$dir/corpus/seed-values"
printf '\002\xEF\xBB\xBF; comment\r\n[Zarmok]\r\nMaxBugs = 7\r\n[Other]\r\nA=1\r\n' >"$dir/corpus/seed-file"
"$dir/settings_fuzz" -max_total_time="$seconds" \
  -artifact_prefix="$dir/" "$dir/corpus"
