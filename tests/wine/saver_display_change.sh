#!/usr/bin/env bash
# A change of the monitors while the full-screen saver runs (WM_DISPLAYCHANGE): the primary
# monitor's resolution changed through the display settings, as a user changes it, to 800x600
# and back; the saver's window covers the monitor at each size, goes on drawing on black, and a
# key still ends it. Wine cannot add or take away a monitor of a running X server, so the
# windows made and destroyed for monitors that come and go are the session's unit tests' part.
source "$(dirname "$0")/_lib.sh"
command -v Xephyr >/dev/null || fail "Xephyr is missing (xserver-xephyr)"
start_xvfb 1920x1080
start_display_server Xephyr Xephyr -resizeable -screen 1024x768
install_saver
printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
xsetroot -solid white
start_saver /s
wait_drawn
window=$(probe find TDesktopWindow)

for size in 800x600 1024x768; do
  width=${size%x*} height=${size#*x}
  probe resolution "$width" "$height" || fail "the resolution could not be changed to $size"
  for i in $(seq 50); do
    [ "$(probe rect "$window")" = "0 0 $width $height" ] && break
    sleep 0.1
  done
  [ "$(probe rect "$window")" = "0 0 $width $height" ] ||
    fail "at $size the saver covers $(probe rect "$window")"
  sleep 2
  screenshot "$WORK/$size.png"
  read -r coloured lit < <(pixel_stats "$WORK/$size.png")
  [ "$coloured" -gt 50 ] || fail "only $coloured coloured pixels at $size"
  white=$(convert "$WORK/$size.png" -fill black +opaque white -format '%[fx:mean*w*h]' info:)
  [ "${white%.*}" -lt 10 ] || fail "${white%.*} desktop pixels show at $size"
done
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "a key did not end the saver after the changes"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the changes"
echo "ok"
