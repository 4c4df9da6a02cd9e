#!/usr/bin/env bash
# /s: a top-level TDesktopWindow that another process finds with FindWindowA, top-most, without
# a frame, owned by the hidden application window, covering the virtual screen, with the
# running flag on; a second /s and a /c end at once with exit code 0 and leave it alone; a key
# press (from the X server, as a user's) ends it with exit code 0 and the flag cleared.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver
# Only the key may end it here, so the test shows that a key does.
printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"

[ "$(probe running)" = 0 ] || fail "the running flag is on before the saver starts"
start_saver /s
window=$(wait_saver_window)
read -r style exstyle owner parent topmost < <(probe style "$window")
[ $((0x$style & 0x80000000)) -ne 0 ] || fail "not a pop-up: style $style"
[ $((0x$style & 0x00C40000)) -eq 0 ] || fail "the window has a frame: style $style"
[ "$topmost" = 1 ] || fail "not top-most: exstyle $exstyle"
[ "$owner" != 0 ] || fail "no owner window"
[ "$parent" = 0 ] || fail "a top-level window has a parent"
wait_active "$window"
[ "$(probe rect "$window")" = "0 0 1024 768" ] || fail "covers $(probe rect "$window"), not the screen"
[ "$(probe running)" = 1 ] || fail "the running flag is off while the saver runs"

for second in /s /c; do
  started=$SECONDS
  wine "$SCR_WIN" $second >/dev/null 2>&1 || fail "a second $second ended with code $?"
  [ $((SECONDS - started)) -le 5 ] || fail "a second $second took $((SECONDS - started)) s"
done
kill -0 "$SAVER_PID" || fail "the first saver ended with the second start"
[ "$(probe find TDesktopWindow)" = "$window" ] || fail "the second start touched the window"

xdotool mousemove 500 400 sleep 0.3 click 1 sleep 0.5
kill -0 "$SAVER_PID" || fail "a movement or click ended the saver with those stop conditions off"
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "a key press did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after a key press"
[ "$(probe running)" = 0 ] || fail "the running flag outlived the saver"
probe gone TDesktopWindow 2 || fail "a TDesktopWindow outlived the saver"
echo "ok"
