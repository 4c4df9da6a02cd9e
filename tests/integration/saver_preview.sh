#!/usr/bin/env bash
# "/p <id>" draws the saver inside a pane the host owns: a child window at the pane's top-left
# corner with the pane's outer size, which keys, clicks and movements do not close, and which
# ends by itself with exit code 0 within a second when the host destroys the pane.
source "$(dirname "$0")/_lib.sh"
start_xvfb 640x480
SAVER=$(install_saver)
# Stop flags on in the file: the preview must switch them off. Many big bugs, so that some
# are inside the pane within a few seconds.
write_settings '[Zarmok]' StopOnKey=1 StopOnMouseMove=1 StopOnMouseClick=1 MaxBugs=20 BugSize=20

xmessage -geometry 320x240+60+40 -bw 3 pane &
pane_pid=$!
CLEANUP_PIDS+=("$pane_pid")
pane=$(wait_for_window Xmessage 5) || fail "no pane"
sleep 0.3
start_saver /p "$pane"
child=$(wait_for_window TDesktopWindow 10) || fail "no preview window: $(cat "$WORK/err")"

tree=$(xwininfo -id "$child" -tree)
grep -q "Parent window id: $(printf '0x%x' "$pane")" <<<"$tree" || fail "not a child of the pane: $tree"
eval "$(xwininfo -id "$pane" | awk -F: '/^  Width/ {print "pw=" $2+0} /^  Height/ {print "ph=" $2+0} /Border width/ {print "pb=" $2+0}')"
info=$(xwininfo -id "$child")
grep -q "Width: $((pw + 2 * pb))\$" <<<"$info" || fail "width is not the pane's outer width ($pw+2*$pb): $info"
grep -q "Height: $((ph + 2 * pb))\$" <<<"$info" || fail "height is not the pane's outer height: $info"
grep -q 'Relative upper-left X:  0' <<<"$info" || fail "not at the pane's left: $info"
grep -q 'Relative upper-left Y:  0' <<<"$info" || fail "not at the pane's top: $info"
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"

# Keys, clicks and movements inside the pane change nothing.
sleep 1
xdotool mousemove 150 150 sleep 0.2 mousemove 200 180 click 1 key a key Escape
sleep 1.5
kill -0 "$SAVER_PID" || fail "input ended the preview: $(cat "$WORK/err")"

import -window "$child" "$WORK/preview.png"
read -r coloured lit < <(pixel_stats "$WORK/preview.png")
[ "$coloured" -gt 20 ] || fail "no coloured bugs in the pane ($coloured coloured, $lit lit)"
# Nothing is drawn outside the pane.
import -window root "$WORK/root.png"
read -r outside _ < <(pixel_stats "$WORK/root.png" "640x40+0+0")
[ "$outside" = 0 ] || fail "$outside coloured pixels above the pane"

# The host destroys the pane.
kill "$pane_pid"
wait_exit "$SAVER_PID" 1 || fail "the preview outlived its pane by more than a second"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the pane went: $(cat "$WORK/err")"
[ ! -s "$WORK/err" ] || fail "the preview said: $(cat "$WORK/err")"
no_saver_left
echo "PASS"
