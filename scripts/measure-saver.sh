#!/usr/bin/env bash
# Measures the real full-screen saver under a private Xvfb server: idle steps per second and
# the time per step spent stepping (simulation and drawing) and presenting, unpaced, at the
# defaults and at the heaviest settings in both styles; the key-press-to-exit latency; and the
# processor time used at the default pace, at the defaults and the heaviest Type_A settings.
#   bash scripts/measure-saver.sh [zarmok[:zarmok...]] [seconds per run] [seconds at 60/s]
# Several programs separated by ':' (the one before a change and the one after) are measured one
# after the other at each setting, on the same server. ZARMOK_DEPTH=16 (or 15, 8) measures on a
# display of that depth instead of 24 bits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
IFS=: read -r -a programs <<<"${1:-$root/build/native/src/app/zarmok}"
export ZARMOK_PATH=${programs[0]}
seconds=${2:-10}
paced_seconds=${3:-60}
source "$root/tests/integration/_lib.sh"
start_xvfb 1920x1080 "${ZARMOK_DEPTH:-24}"
mkdir -p "$WORK/bin"
savers=()
for i in "${!programs[@]}"; do
  cp "${programs[i]}" "$WORK/bin/zarmok-$i"
  savers+=("$WORK/bin/zarmok-$i")
done
ini=$(settings_file)
mkdir -p -m 0700 "$(dirname "$ini")"
heavy='MaxBugs=20|BugPtnSize=40|ImageListLen=30|BugPtnExCyc=1|BugSize=30'

# label I: how a line names the I-th program when there are several.
label() {
  if [ "${#savers[@]}" -gt 1 ]; then echo " [${programs[$1]}]"; fi
}

# run NAME RATE SETTINGS: one run of $seconds of each program, then a key press; prints stats
# and latency.
run() {
  local name=$1 rate=$2 settings=$3 i
  printf '[Zarmok]\nStepsPerSecond=%s\n%s\n' "$rate" "$settings" | tr '|' '\n' >"$ini"
  for i in "${!savers[@]}"; do
    ZARMOK_STATS=1 "${savers[i]}" /s 2>"$WORK/err" &
    SAVER_PID=$!
    wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window"
    sleep "$seconds"
    local start end
    # The time from just before xdotool starts to the saver's end, as its parent sees it; it
    # includes starting xdotool itself.
    start=$(date +%s%N)
    xdotool key a
    wait "$SAVER_PID" || true
    end=$(date +%s%N)
    echo "$name$(label "$i"): $(grep -o 'zarmok stats: .*' "$WORK/err" | sed 's/zarmok stats: //'); key to exit $(((end - start) / 1000000)) ms"
  done
}

run "defaults, unpaced" 0 ""
run "heaviest Type_A, unpaced" 0 "$heavy|BugsType=0"
run "heaviest Type_B, unpaced" 0 "$heavy|BugsType=1"

# Processor time at the default pace (60 steps/s): user+system ticks of the process over the run,
# after its start.
paced() {
  local name=$1 settings=$2 i
  printf '[Zarmok]\n%s\n' "$settings" | tr '|' '\n' >"$ini"
  for i in "${!savers[@]}"; do
    "${savers[i]}" /s 2>"$WORK/err" &
    SAVER_PID=$!
    wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window"
    sleep 1
    ticks() { awk '{print $14 + $15}' "/proc/$SAVER_PID/stat"; }
    local t0 t1 hz
    t0=$(ticks)
    sleep "$paced_seconds"
    t1=$(ticks)
    hz=$(getconf CLK_TCK)
    echo "$name at 60 steps/s$(label "$i"): $(awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$paced_seconds" 'BEGIN {printf "%.2f%% of one core over %d s", 100 * d / hz / s, s}')"
    xdotool key a
    wait_exit "$SAVER_PID" 5 || fail "no exit"
  done
}

paced "defaults" ""
paced "heaviest Type_A" "$heavy|BugsType=0"
