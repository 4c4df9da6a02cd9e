#!/usr/bin/env bash
# Measures GNOME Shell's processor time, headless with software rendering on one 1920x1080
# virtual monitor as the GNOME tests run it: idle, and with a full-screen client that draws at
# every frame the shell offers, as an animation at the display's pace does: a whole new picture
# each time (the most costly), then a small square of it (closer to the saver's few changed
# rectangles a step); the frames per second the client got and the shell's time per frame.
#   bash scripts/measure-gnome-shell.sh [build folder] [seconds per measure] [monitor, 1920x1080]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
seconds=${2:-10}
monitor=${3:-1920x1080}
cmake --build "$build" --target zarmok-fullscreen-test-client >/dev/null
export ZARMOK_FULLSCREEN_CLIENT=$build/tests/gnome/zarmok-fullscreen-test-client
source "$root/tests/gnome/_lib.sh"

# ticks PID: the processor time the process has used, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# share PID...: the percent of one core each process used over $seconds.
share() {
  local -a before=() pid
  local i=0
  for pid in "$@"; do before+=("$(ticks "$pid")"); done
  sleep "$seconds"
  for pid in "$@"; do
    echo -n "$(((($(ticks "$pid") - before[i]) * 100) / (seconds * $(getconf CLK_TCK)))) % "
    i=$((i + 1))
  done
  echo
}

start_gnome "$monitor"
# The shell's own start-up work (backgrounds, the overview's animation) is over by then.
sleep 3
echo "GNOME Shell idle: $(share "$SHELL_PID")"
# frames NAME: the pictures the client NAME has drawn so far, as it last said.
frames() { sed -n 's/^frames //p' "$WORK/$1.out" | tail -n1; }

# measure NAME WHAT ARGS...: a redrawing client started with ARGS, measured for $seconds.
measure() {
  local name=$1 what=$2 first shell_before shell_ms drawn
  shift 2
  start_client "$name" --redraw "$@" 30 30 30
  wait_line 20 "$name" shown
  sleep 1
  first=$(frames "$name")
  shell_before=$(ticks "$SHELL_PID")
  echo "$what: GNOME Shell; the client: $(share "$SHELL_PID" "$CLIENT_PID")"
  shell_ms=$((($(ticks "$SHELL_PID") - shell_before) * 1000 / $(getconf CLK_TCK)))
  drawn=$(($(frames "$name") - first))
  echo "  frames per second: $((drawn / seconds)); GNOME Shell's time per frame: $((shell_ms * 10 / drawn)) x 0.1 ms"
  hands key 30 >/dev/null
  wait_line 10 "$name" "key 30"
}

measure whole "the whole picture new at every frame"
measure square "a 64x64 square new at every frame" --square 64
