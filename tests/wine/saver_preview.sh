#!/usr/bin/env bash
# /p <pane>: the saver is a child TDesktopWindow of a test pane of another process, which
# FindWindowA does not count as a running saver; it covers the pane from its corner with the
# pane's outer size, draws inside it, ignores keys, clicks and movements, and ends with exit
# code 0 within a second of the host destroying the pane. A full-screen /s still starts beside it.
# Wine 8 shows nothing that a window draws into a child of another process's window (a child
# window of a test program that paints red stays unseen too), so the preview's steps are
# counted from its measurements instead of its pixels.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver

wine "$ZARMOK_PROBE_PATH" pane 320 240 "$(win_path "$WORK/pane")" >/dev/null 2>&1 &
CLEANUP_PIDS+=($!)
for i in $(seq 100); do [ -s "$WORK/pane" ] && break; sleep 0.1; done
pane=$(tr -d '\r\n' <"$WORK/pane")
[ -n "$pane" ] || fail "the test pane did not open"

ZARMOK_STATS=1 start_saver /p "$pane"
child=
for i in $(seq 100); do
  child=$(probe child "$pane" TDesktopWindow || true)
  [ -n "$child" ] && break
  sleep 0.1
done
[ -n "$child" ] || fail "no TDesktopWindow inside the pane"
! probe find TDesktopWindow >/dev/null || fail "FindWindowA counts the preview as a running saver"
read -r style _ _ parent _ < <(probe style "$child")
[ $((0x$style & 0x40000000)) -ne 0 ] || fail "not a child window: style $style"
[ $((0x$style & 0x80000000)) -eq 0 ] || fail "a child with the pop-up style: $style"
[ "$parent" = "$pane" ] || fail "the parent is $parent, not the pane $pane"
read -r left top right bottom < <(probe rect "$pane")
read -r cl ct cr cb < <(probe rect "$child")
# At 0, 0 of the pane's client area, which starts inside the pane's frame.
[ "$cl" -ge "$left" ] && [ "$cl" -lt $((left + 20)) ] && [ "$ct" -ge "$top" ] && [ "$ct" -lt $((top + 40)) ] ||
  fail "the saver is at $cl $ct, not at the corner of the pane at $left $top"
[ $((cr - cl)) = $((right - left)) ] && [ $((cb - ct)) = $((bottom - top)) ] ||
  fail "the saver is $((cr - cl))x$((cb - ct)), not the pane's outer $((right - left))x$((bottom - top))"

for what in key click move; do
  probe post "$child" "$what" || fail "could not post $what"
done
xdotool mousemove $((left + 100)) $((top + 100)) click 1 key space mousemove $((left + 150)) $((top + 120))
sleep 2
kill -0 "$SAVER_PID" || fail "input ended the preview"

# Beside a preview a full-screen saver still starts.
wine "$SCR_WIN" /s >/dev/null 2>&1 &
full=$!
CLEANUP_PIDS+=($full)
wait_saver_window 20 >/dev/null
xdotool mousemove 10 10 key space
wait_exit "$full" 10 || fail "the full-screen saver beside the preview did not end"
kill -0 "$SAVER_PID" || fail "the full-screen saver's key ended the preview"

touch "$WORK/pane.end"
# Wine takes about 2 s to destroy a top-level window on a server without a window manager.
for i in $(seq 1000); do [ -e "$WORK/pane.gone" ] && break; sleep 0.01; done
[ -e "$WORK/pane.gone" ] || fail "the test pane was not destroyed"
gone_at=$(date +%s%N)
wait_exit "$SAVER_PID" 5 || fail "the preview outlived its pane"
elapsed=$((($(date +%s%N) - gone_at) / 1000000))
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE when the pane went"
[ "$elapsed" -lt 1000 ] || fail "the preview took $elapsed ms to end after its pane"
steps=$(tr -d '\r' <"$WORK/err" | sed -n 's/^zarmok stats: \([0-9]*\) steps.*/\1/p')
[ -n "$steps" ] && [ "$steps" -gt 60 ] || fail "the preview took ${steps:-no} steps"
echo "ok ($elapsed ms after the pane, $steps steps)"
