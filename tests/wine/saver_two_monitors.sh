#!/usr/bin/env bash
# On a desktop of two monitors side by side (1024x768 and 800x600) the full-screen saver has
# two top-level TDesktopWindow windows, each covering its monitor exactly; each draws its own
# bugs, and the picture of both monitors is black where no bug is, with no part of the desktop
# showing; a click on the second monitor ends the run, and both windows go.
source "$(dirname "$0")/_lib.sh"
command -v Xephyr >/dev/null || fail "Xephyr is missing (xserver-xephyr)"
start_two_monitors
install_saver
# Only a click may end it here.
printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnKey=0\r\n' >"$(ini_file)"
# Wine's view of the desktop must be two monitors, or the test proves nothing.
read -r vx vy vw vh monitors < <(probe screen)
[ "$monitors" = 2 ] || fail "Wine sees $monitors monitors"
[ "$vx $vy $vw $vh" = "0 0 1824 768" ] || fail "the virtual screen is $vx $vy $vw $vh"

# The desktop's root is painted white first, so any part the saver leaves uncovered shows.
xsetroot -solid white
start_saver /s
wait_saver_window >/dev/null
windows=
for i in $(seq 100); do
  windows=$(probe all TDesktopWindow || true)
  [ "$(wc -w <<<"$windows")" -ge 2 ] && break
  sleep 0.1
done
sleep 3
[ "$(probe all TDesktopWindow | wc -w)" = 2 ] || fail "$(wc -w <<<"$windows") saver windows, not 2"
covered=$(for window in $windows; do probe rect "$window"; done | sort)
[ "$covered" = "$(printf '0 0 1024 768\n1024 0 1824 600')" ] ||
  fail "the saver's windows cover: $(tr '\n' ',' <<<"$covered")"
screenshot "$WORK/two.png"
[ -n "${ZARMOK_SCREENSHOT_DIR:-}" ] && cp "$WORK/two.png" "$ZARMOK_SCREENSHOT_DIR/saver-two-monitors.png"
for crop in 1024x768+0+0 800x600+1024+0; do
  white=$(convert "$WORK/two.png" -crop "$crop" +repage -fill black +opaque white -format '%[fx:mean*w*h]' info:)
  [ "${white%.*}" -lt 10 ] || fail "${white%.*} desktop pixels show in the monitor at $crop"
  read -r coloured lit < <(pixel_stats "$WORK/two.png" "$crop")
  [ "$coloured" -gt 100 ] || fail "only $coloured coloured pixels ($lit lit) in the monitor at $crop"
done
# A click of the primary button on the second monitor ends it.
xdotool mousemove 1400 300 sleep 0.3 key space sleep 0.5
kill -0 "$SAVER_PID" || fail "a movement or key ended the saver with those stop conditions off"
xdotool click 1
wait_exit "$SAVER_PID" 10 || fail "a click on the second monitor did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after a click"
probe gone TDesktopWindow 2 || fail "a TDesktopWindow outlived the saver"
echo "ok"
