#!/usr/bin/env bash
# Measures the real full-screen saver on Wayland, under a private headless sway with one
# 1920x1080 output (the pixman renderer, no GPU): idle steps per second and the time per step
# spent stepping (simulation and drawing) and presenting, unpaced, at the defaults and at the
# heaviest settings in both styles; the key-press-to-exit latency; and the processor time used
# at the default pace, by the saver and by the compositor, at the defaults and the heaviest
# Type_A settings.
#   bash scripts/measure-saver-sway.sh [path/to/zarmok] [seconds per run] [seconds at 60/s]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ZARMOK_PATH=${1:-$root/build/native/src/app/zarmok}
export ZARMOK_WL_CLIENT=${ZARMOK_WL_CLIENT:-$root/build/native/tests/wayland/zarmok-wl-test-client}
seconds=${2:-10}
paced_seconds=${3:-60}
source "$root/tests/wayland/_lib.sh"
start_sway 1920x1080
heavy='MaxBugs=20|BugPtnSize=40|ImageListLen=30|BugPtnExCyc=1|BugSize=30'

# settings LINES: the saver's settings file, the lines separated by "|".
settings() {
  local -a lines=()
  IFS='|' read -r -a lines <<<"$1"
  write_settings '[Zarmok]' "${lines[@]}"
}

# run NAME RATE SETTINGS: one run of $seconds, then a key; prints stats and latency.
run() {
  local name=$1 rate=$2
  settings "StepsPerSecond=$rate|$3"
  as_user exec_user env ZARMOK_STATS=1 "$SAVER" /s 2>"$WORK/err" &
  SAVER_PID=$!
  wait_covered 10 HEADLESS-1
  sleep "$seconds"
  # wtype waits 300 ms between making its keyboard and typing (see press_key): the latency is
  # from the end of wtype to the saver's end, as its parent sees it.
  press_key
  local start end
  start=$(date +%s%N)
  wait "$SAVER_PID" || true
  end=$(date +%s%N)
  echo "$name: $(grep -o 'zarmok stats: .*' "$WORK/err" | sed 's/zarmok stats: //'); key to exit $(((end - start) / 1000000)) ms"
}

run "defaults, unpaced" 0 ""
run "heaviest Type_A, unpaced" 0 "$heavy|BugsType=0"
run "heaviest Type_B, unpaced" 0 "$heavy|BugsType=1"

# Processor time at the default pace (60 steps/s): user+system ticks of the saver and of sway
# over the run, after its start.
paced() {
  local name=$1
  settings "$2"
  start_saver /s
  wait_covered 10 HEADLESS-1
  sleep 1
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  local saver0 sway0 saver1 sway1 hz
  saver0=$(ticks "$SAVER_PID")
  sway0=$(ticks "$SWAY_PID")
  sleep "$paced_seconds"
  saver1=$(ticks "$SAVER_PID")
  sway1=$(ticks "$SWAY_PID")
  hz=$(getconf CLK_TCK)
  share() { awk -v d="$1" -v hz="$hz" -v s="$paced_seconds" 'BEGIN {printf "%.2f%%", 100 * d / hz / s}'; }
  echo "$name at 60 steps/s: saver $(share $((saver1 - saver0))), sway $(share $((sway1 - sway0))) of one core over $paced_seconds s"
  press_key
  wait_exit "$SAVER_PID" 5 || fail "no exit"
}

paced "defaults" ""
paced "heaviest Type_A" "$heavy|BugsType=0"
