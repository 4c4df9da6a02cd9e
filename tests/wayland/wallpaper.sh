#!/usr/bin/env bash
# zarmok --wallpaper on Wayland: the swarm on each output's background, under ordinary windows;
# keys do not end it and it raises no running flag; SIGTERM ends it with exit code 0.
source "$(dirname "$0")/_lib.sh"
start_sway
write_settings '[Zarmok]'
# An ordinary window on the first output, in a colour no bug has.
coproc WINDOW { as_user exec_user "$WORK/bin/client" window 0 255 0; }
CLEANUP_PIDS+=("$WINDOW_PID")
read -r -t 10 answer <&"${WINDOW[0]}" && [ "$answer" = shown ] || fail "no ordinary window"
start_saver --wallpaper
wait_covered 10 HEADLESS-2
window=$(convert "$(shot HEADLESS-1)" -fill black +opaque 'rgb(0,255,0)' -fill white \
  -opaque 'rgb(0,255,0)' -format '%[fx:round(mean*w*h)]' info:)
echo "the window's pixels on HEADLESS-1: $window"
[ "$window" -ge $((800 * 600 * 8 / 10)) ] || fail "the wallpaper covers the ordinary window"
saver_running && fail "the wallpaper raised the running flag"
press_key
sleep 0.5
kill -0 "$SAVER_PID" 2>/dev/null || fail "a key ended the wallpaper"
wait_covered 5 HEADLESS-2
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 5 || fail "SIGTERM did not end the wallpaper"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"
wait_uncovered 5 HEADLESS-2
echo "PASS"
