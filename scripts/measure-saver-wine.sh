#!/usr/bin/env bash
# The Wine counterpart of measure-saver.sh: zarmok.scr full-screen under Wine on a private
# Xvfb server; idle steps per second unpaced at the defaults and at the heaviest settings in
# both styles, the key-press-to-exit latency, and the processor time used at the default pace at
# the defaults and the heaviest Type_A settings (the saver's process and the Wine server).
#   [ZARMOK_WM=openbox] bash scripts/measure-saver-wine.sh [path/to/zarmok.scr] [seconds per run]
#     [seconds at 60/s]
# WINEPREFIX defaults to build/wineprefix (made when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ZARMOK_SOURCE_DIR=$root
export ZARMOK_SCR_PATH=${1:-$root/build/mingw/src/app/zarmok.scr}
export ZARMOK_PROBE_PATH=${ZARMOK_PROBE_PATH:-$(dirname "$ZARMOK_SCR_PATH")/../../tests/win32/zarmok_wine_probe.exe}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
seconds=${2:-10}
paced_seconds=${3:-60}
source "$root/tests/wine/_lib.sh"
start_xvfb 1920x1080
# ZARMOK_WM=openbox (or another manager) measures under that window manager: without one, Wine
# waits some 2 s for a full-screen window to be withdrawn before the program may end.
if [ -n "${ZARMOK_WM:-}" ]; then
  start_window_manager "$ZARMOK_WM"
fi
install_saver
heavy='MaxBugs=20|BugPtnSize=40|ImageListLen=30|BugPtnExCyc=1|BugSize=30'

run() {
  local name=$1 rate=$2 settings=$3
  printf '[Zarmok]\r\nStepsPerSecond=%s\r\n%s\r\n' "$rate" "$settings" | sed 's/|/\r\n/g' >"$(ini_file)"
  ZARMOK_STATS=1 start_saver /s
  wait_saver_window >/dev/null
  sleep "$seconds"
  local start end
  start=$(date +%s%N)
  xdotool key a
  wait_exit "$SAVER_PID" 10 || fail "no exit"
  end=$(date +%s%N)
  echo "$name: $(tr -d '\r' <"$WORK/err" | grep -o 'zarmok stats: .*' | sed 's/zarmok stats: //'); key to exit $(( (end - start) / 1000000 )) ms"
}

run "defaults, unpaced" 0 ""
run "heaviest Type_A, unpaced" 0 "$heavy|BugsType=0"
run "heaviest Type_B, unpaced" 0 "$heavy|BugsType=1"

# The Wine server of this prefix (named by the prefix's device and inode in its folder), not
# one of another prefix that runs beside it.
prefix_server() {
  local suffix pid
  suffix=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for pid in $(pgrep '^wineserver'); do
    case $(readlink "/proc/$pid/cwd") in */"$suffix") echo "$pid" && return ;; esac
  done
}

# Processor time at the default pace (60 steps/s), after the start: the saver's process and the
# Wine server.
paced() {
  local name=$1 settings=$2
  printf '[Zarmok]\r\n%s\r\n' "$settings" | sed 's/|/\r\n/g' >"$(ini_file)"
  start_saver /s
  wait_saver_window >/dev/null
  sleep 2
  # The Windows program runs in a Unix process of its own, named by its Windows path: not the
  # `wine` starter, nor this script, whose arguments may name the file too.
  local program server p0 p1 s0 s1 hz
  program=$(pgrep -n -f '^C:.*zarmok\.scr' | head -n1)
  server=$(prefix_server)
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  p0=$(ticks "$program"); s0=$([ -n "$server" ] && ticks "$server" || echo 0)
  sleep "$paced_seconds"
  p1=$(ticks "$program"); s1=$([ -n "$server" ] && ticks "$server" || echo 0)
  hz=$(getconf CLK_TCK)
  percent() { awk -v d="$1" -v hz="$hz" -v s="$paced_seconds" 'BEGIN {printf "%.2f%%", 100 * d / hz / s}'; }
  echo "$name at 60 steps/s over $paced_seconds s: saver $(percent $((p1 - p0))) of one core, wineserver $(percent $((s1 - s0)))"
  xdotool key a
  wait_exit "$SAVER_PID" 10 || fail "no exit"
}

paced "defaults" ""
paced "heaviest Type_A" "$heavy|BugsType=0"
