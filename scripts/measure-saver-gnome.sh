#!/usr/bin/env bash
# Measures the real full-screen saver under GNOME Shell, headless with software rendering on one
# virtual monitor (1920x1080 unless told), as the GNOME tests run it: the processor time of the
# saver and of GNOME Shell at the default pace (60 steps/s) at the defaults, beside the saver and
# sway on a headless sway output of the same size in the same run; the key-press-to-exit latency
# on GNOME; and the same seed drawn on GNOME and by zarmok-render, pixel for pixel.
#   bash scripts/measure-saver-gnome.sh [build folder] [seconds at 60/s] [monitor]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
seconds=${2:-30}
monitor=${3:-1920x1080}
export ZARMOK_PATH=$build/src/app/zarmok
seeded=$build/tests/wayland/zarmok-wl-seeded
render=$build/tools/render/zarmok-render

# ticks PID: the processor time the process has used, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# share TICKS: that many ticks as a percentage of one core over the measured seconds.
share() {
  awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN { printf "%.1f %%", 100 * t / hz / s }'
}

# paced SAVER COMPOSITOR_PID NAME: the saver's and the compositor's processor time over $seconds
# of a saver that runs at the default pace.
paced() {
  local saver0 compositor0
  saver0=$(ticks "$1")
  compositor0=$(ticks "$2")
  sleep "$seconds"
  echo "$3 at 60 steps/s, defaults, $monitor: saver $(share $(($(ticks "$1") - saver0)))," \
    "compositor $(share $(($(ticks "$2") - compositor0))) of one core over $seconds s"
}

if [ "${MEASURE_PART:-}" = sway ]; then
  export ZARMOK_WL_CLIENT=$build/tests/wayland/zarmok-wl-test-client
  source "$root/tests/wayland/_lib.sh"
  start_sway "$monitor"
  write_settings '[Zarmok]'
  start_saver /s
  wait_covered 10 HEADLESS-1
  sleep 1
  paced "$SAVER_PID" "$SWAY_PID" sway
  press_key
  wait_exit "$SAVER_PID" 5 || fail "no exit"
  exit 0
fi

(
  source "$root/tests/gnome/_lib.sh"
  start_gnome "$monitor"
  whole=("$monitor+0+0")
  desktop_shot gnome_shot "${whole[@]}"
  shell0=$(ticks "$SHELL_PID")
  sleep "$seconds"
  echo "GNOME Shell idle, $monitor: $(share $(($(ticks "$SHELL_PID") - shell0))) of one core over $seconds s"
  write_settings '[Zarmok]'
  start_saver /s
  wait_desktop 20 gnome_shot covered "${whole[@]}"
  sleep 1
  paced "$SAVER_PID" "$SHELL_PID" "GNOME Shell"
  hands key 30
  start=$(date +%s%N)
  wait "$SAVER_PID" || true
  echo "GNOME Shell: key to exit $((($(date +%s%N) - start) / 1000000)) ms (from the key's injection)"

  # The same seed on GNOME and in the renderer: unpaced, the steps are counted, not timed.
  cp "$seeded" "$WORK/bin/seeded" && chmod a+rx "$WORK/bin/seeded"
  write_settings '[Zarmok]' StepsPerSecond=0 MaxBugs=10
  printf '[Zarmok]\nStepsPerSecond=0\nMaxBugs=10\n' >"$WORK/settings.ini"
  # It keeps its windows while its input is open.
  mkfifo "$WORK/seeded.in"
  as_user exec_user "$WORK/bin/seeded" 4321 400 <"$WORK/seeded.in" >"$WORK/seeded.out" 2>&1 &
  CLEANUP_PIDS+=($!)
  exec {input}>"$WORK/seeded.in"
  deadline=$((SECONDS + 30))
  until grep -qx drawn "$WORK/seeded.out"; do
    [ $SECONDS -lt $deadline ] || fail "the seeded saver: $(cat "$WORK/seeded.out")"
    sleep 0.1
  done
  "$render" --ini "$WORK/settings.ini" --size "$monitor" --seed 4321 --steps 400 --png "$WORK/render.png"
  deadline=$((SECONDS + 10))
  until differing=$(compare -metric AE "$(gnome_shot seeded)" "$WORK/render.png" null: 2>&1 || true) &&
    [ "$differing" = 0 ]; do
    [ $SECONDS -lt $deadline ] || break
    sleep 0.1
  done
  cp "$WORK/shots/seeded.png" "$root/build/gnome-seeded.png"
  echo "GNOME Shell: seed 4321 after 400 steps differs from zarmok-render's picture in" \
    "$differing pixels ($(lit_pixels "$WORK/render.png" "${whole[0]}") drawn);" \
    "the picture: build/gnome-seeded.png"
  exec {input}>&-
)
MEASURE_PART=sway bash "$0" "$@"
