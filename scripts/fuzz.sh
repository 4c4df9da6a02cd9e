#!/usr/bin/env bash
# Builds every fuzz target (fuzz/<name>_fuzz.cpp) with clang + libFuzzer (ASan, UBSan) and runs
# each in turn for the given time. Fails if any target finds a fault; the input that shows it is
# kept in the build folder as <name>-crash-... (or -leak-, -timeout-, ...). scripts/test.sh runs
# this for 30 s a target.
# Usage: scripts/fuzz.sh [seconds per target] [build dir]   (default 600 s, build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
dir=${2:-build/fuzz}

bash scripts/deps.sh --fuzz
cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++
cmake --build "$dir" -j 2

# Seeds for each target: a few inputs that reach each of its paths, so a short run goes deep at
# once. A target without seeds starts from nothing.
seed_settings_fuzz() {
  local corpus=$1
  printf '\0030x1E' >"$corpus/seed-hex"
  printf '\001 30\n0\n$1E\n-2147483648\n2\n' >"$corpus/seed-values"
  printf '\002\xEF\xBB\xBF; comment\r\n[Zarmok]\r\nMaxBugs = 7\r\n[Other]\r\nA=1\r\n' \
    >"$corpus/seed-file"
  printf '\002[\n Zarmok ]\rMaxBugs=7\n; c\n[Other\nA = 1 \n=2\nB\n[]\nC=3' >"$corpus/seed-reader"
}

failed=()
for source in fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  # The corpus lives in the build folder: it is the run's by-product, not part of the sources.
  # A later run starts from what the earlier ones found.
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  if declare -F "seed_$name" >/dev/null; then "seed_$name" "$corpus"; fi
  log="$dir/$name.log"
  echo "-- $name: fuzzing for $seconds s (log: $log)"
  if "$dir/$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/$name-" "$corpus" >"$log" 2>&1; then
    grep -E '^Done |stat::number_of_executed_units|stat::new_units_added' "$log" || true
  else
    # The fault report (sanitizer output, the input's name) ends the log.
    tail -n 80 "$log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: a fault was found by: ${failed[*]} (inputs kept in $dir)" >&2
  exit 1
fi
echo "-- every fuzz target ran $seconds s without a fault"
