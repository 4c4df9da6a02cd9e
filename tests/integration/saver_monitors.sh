#!/usr/bin/env bash
# A saver window for each monitor. On a Xinerama desktop of two monitors of different sizes
# (Xephyr, 1024x768 and 800x600 side by side) each window covers its monitor exactly, nothing of
# the desktop shows, each monitor has its own swarm, and a click on the second ends the one run.
# On RandR monitors (Xvfb's, split with xrandr) a monitor that goes takes its window and one
# that comes gets one while the saver runs.
source "$(dirname "$0")/_lib.sh"
command -v Xephyr >/dev/null || fail "Xephyr is missing (xserver-xephyr)"
SAVER=$(install_saver)

# saver_geometries: the geometries "WxH+X+Y" of the saver's windows, sorted.
saver_geometries() {
  local id
  for id in $(xdotool search --class '^TDesktopWindow$' 2>/dev/null); do
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} /Map State: IsViewable/ {v=1}
      END {if (v) printf "%sx%s+%s+%s\n", w, h, x, y}'
  done | sort
}

# wait_geometries EXPECTED TIMEOUT_S: waits until the viewable saver windows are EXPECTED.
wait_geometries() {
  local expected=$1 deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(saver_geometries | tr '\n' ' ')" = "$expected" ] && return 0
    sleep 0.1
  done
  fail "saver windows $(saver_geometries | tr '\n' ' '), not $expected"
}

start_xvfb 1920x1080
start_display_server Xephyr Xephyr +xinerama -extension RANDR -screen 1024x768 -screen 800x600
write_settings '[Zarmok]' MaxBugs=6 StopOnKey=0 StopOnMouseMove=0
xsetroot -solid white
start_saver /s
wait_geometries "1024x768+0+0 800x600+1024+0 " 10
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"
sleep 3
import -window root "$WORK/two.png"
if [ -n "${ZARMOK_SCREENSHOT_OUT:-}" ]; then cp "$WORK/two.png" "$ZARMOK_SCREENSHOT_OUT"; fi
for crop in 1024x768+0+0 800x600+1024+0; do
  white=$(convert "$WORK/two.png" -crop "$crop" +repage -fill black +opaque white \
    -format '%[fx:mean*w*h]' info:)
  [ "${white%.*}" -lt 10 ] || fail "${white%.*} desktop pixels show in the monitor at $crop"
  read -r coloured _ < <(pixel_stats "$WORK/two.png" "$crop")
  [ "$coloured" -ge 50 ] || fail "no swarm on the monitor at $crop ($coloured coloured pixels)"
done
xdotool mousemove 1400 300 click 1
wait_exit "$SAVER_PID" 5 || fail "a click on the second monitor did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$WORK/err")"
no_saver_left
stop_display_servers
X_PIDS=()

start_xvfb 1280x480
write_settings '[Zarmok]'
xrandr --setmonitor left 640/0x480/0+0+0 screen >/dev/null
xrandr --setmonitor right 640/0x480/0+640+0 none >/dev/null
start_saver /s
wait_geometries "640x480+0+0 640x480+640+0 " 10
xrandr --delmonitor right >/dev/null
wait_geometries "640x480+0+0 " 5
xrandr --setmonitor low 640/0x240/0+640+240 none >/dev/null
wait_geometries "640x240+640+240 640x480+0+0 " 5
[ "$(running_property)" = "= 1" ] || fail "the running flag went with a monitor"
xdotool key a
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$WORK/err")"
no_saver_left
echo "PASS"
