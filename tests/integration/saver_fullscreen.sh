#!/usr/bin/env bash
# "zarmok /s" maps one override-redirect TDesktopWindow covering the whole screen, raises the
# running flag on the root window, keeps itself on top, and a key press ends it with exit code
# 0 leaving no window and no flag behind.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
SAVER=$(install_saver)

start_saver /s
id=$(wait_for_window TDesktopWindow 10) || fail "no TDesktopWindow appeared: $(cat "$WORK/err")"
info=$(xwininfo -id "$id")
grep -q 'Width: 800' <<<"$info" || fail "width is not the screen's: $info"
grep -q 'Height: 600' <<<"$info" || fail "height is not the screen's: $info"
grep -q 'Absolute upper-left X:  0' <<<"$info" || fail "not at the left edge: $info"
grep -q 'Absolute upper-left Y:  0' <<<"$info" || fail "not at the top edge: $info"
grep -q 'Map State: IsViewable' <<<"$info" || fail "not viewable: $info"
grep -q 'Override Redirect State: yes' <<<"$info" || fail "not override-redirect: $info"
xprop -id "$id" WM_CLASS | grep -q '"TDesktopWindow"' || fail "wrong WM_CLASS"
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"

# Something mapped on top is covered again at once.
xmessage -geometry 200x100+10+10 "on top?" &
CLEANUP_PIDS+=($!)
sleep 1
# xwininfo lists the children from the top of the stack down.
top=$(xwininfo -root -children | awk '/^     0x/ {print $1; exit}')
[ "$((top))" = "$((id))" ] || fail "the saver is not the topmost window (top $top, saver $id)"

sleep 0.5
xdotool key space
wait_exit "$SAVER_PID" 5 || fail "a key press did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after a key press: $(cat "$WORK/err")"
no_saver_left

# A host that ends its saver with SIGTERM gets the same clean end.
start_saver /s
wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window for the SIGTERM run"
sleep 0.5
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 2 || fail "SIGTERM did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM: $(cat "$WORK/err")"
no_saver_left
echo "PASS"
