#!/usr/bin/env bash
# The full-screen saver follows its output while it runs: a whole-number scale either way, a
# fractional one, a new mode and a rotation each leave the output covered and drawn at the
# output's own pixels: the last buffer made is as large as the output's mode (turned with it),
# and the viewport shows it at the output's size in the layout.
source "$(dirname "$0")/_lib.sh"
start_sway 800x600
write_settings '[Zarmok]' MaxBugs=4
# The protocol's traffic tells the buffers' sizes and the viewport's destination.
as_user exec_user env WAYLAND_DEBUG=client "$SAVER" /s 2>"$WORK/err" &
SAVER_PID=$!
CLEANUP_PIDS+=("$SAVER_PID")
wait_covered 10 HEADLESS-1

# last REQUEST: the arguments of the saver's last REQUEST of its own buffers' kind.
last() {
  { grep -o "$1([^)]*)" "$WORK/err" || true; } | { grep -v 'create_buffer(.*, 0)$' || true; } |
    tail -n1 | sed 's/.*(//; s/)//'
}

# change PIXELS SIZE SETTING...: the output takes the settings; its buffers are then PIXELS
# (WxH) and shown at SIZE, and nothing of the background shows.
change() {
  local pixels=$1 size=$2 i buffer view
  shift 2
  as_user swaymsg output HEADLESS-1 "$@" >/dev/null
  for i in $(seq 100); do
    buffer=$(last create_buffer | awk -F', ' '{print $3 "x" $4}')
    view=$(last set_destination | tr -d ' ' | tr , x)
    [ "$buffer" = "$pixels" ] && [ "$view" = "$size" ] && break
    sleep 0.05
  done
  [ "$buffer" = "$pixels" ] && [ "$view" = "$size" ] ||
    fail "$*: buffers of $buffer shown at $view, not $pixels at $size"
  wait_covered 5 HEADLESS-1
  echo "$*: covered, buffers of $buffer shown at $view"
}

change 800x600 400x300 scale 2
change 800x600 800x600 scale 1
change 800x600 533x400 scale 1.5
change 1024x768 1024x768 scale 1 mode 1024x768
change 768x1024 768x1024 transform 90
kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended"
press_key
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a key"
echo "PASS"
