#!/usr/bin/env bash
# On an 8-bit display (colour-mapped by default, with a 3-3-2 true-colour visual beside it) and
# on a 16-bit one the saver draws its swarm in colour, and the settings dialog's labels read on
# the 8-bit one instead of showing as black bars.
source "$(dirname "$0")/_lib.sh"
SAVER=$(install_saver)

# wait_for_swarm TIMEOUT_S: waits until the screen shows coloured pixels.
wait_for_swarm() {
  local deadline=$((SECONDS + $1)) coloured=0
  while [ $SECONDS -lt $deadline ]; do
    import -window root "$WORK/screen.png"
    read -r coloured _ < <(pixel_stats "$WORK/screen.png")
    [ "$coloured" -ge 20 ] && return 0
    sleep 0.2
  done
  return 1
}

for depth in 16 8; do
  start_xvfb 640x480 "$depth"
  write_settings '[Zarmok]' MaxBugs=20 BugSize=20
  start_saver /s
  id=$(wait_for_window TDesktopWindow 10) || fail "no saver window at $depth bits: $(cat "$WORK/err")"
  wait_for_swarm 5 || fail "no swarm on the $depth-bit display"
  wait_for_focus "$id" || fail "the saver never took the keyboard at $depth bits"
  xdotool key a
  wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver at $depth bits"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE at $depth bits: $(cat "$WORK/err")"
  [ "$depth" = 8 ] && break
  stop_display_servers
  X_PIDS=()
done

# The 8-bit display is still up. Its labels are dark text on the dialog's grey, a few per cent
# of its pixels; as black bars they were a tenth.
"$SAVER" /c 2>"$WORK/dialog.err" &
dialog=$!
CLEANUP_PIDS+=("$dialog")
id=$(wait_for_window TBugsPramSet 10) || fail "no dialog on the 8-bit display"
dark=0
for _ in $(seq 50); do
  import -window "$id" "$WORK/dialog.png" 2>/dev/null || true
  dark=$(convert "$WORK/dialog.png" -colorspace gray -threshold 25% -negate \
    -format '%[fx:int(mean*1000)]' info: 2>/dev/null || echo 0)
  [ "$dark" -ge 5 ] && break
  sleep 0.1
done
[ "$dark" -ge 5 ] || fail "the dialog shows no labels"
[ "$dark" -lt 60 ] || fail "$dark per mille of the dialog is dark: its labels are black bars"
echo "PASS"
