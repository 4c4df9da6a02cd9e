#!/usr/bin/env bash
# The saver's own appearance is no movement of the pointer. On two monitors with the second one
# left of the primary (at negative coordinates), the saver starts with movements as its only
# stop condition under a pointer resting on the second monitor: its windows are born at their
# birth place, moved to their monitors and shown over the pointer, and it runs on for seconds;
# so are movement messages while the pointer rests; then a real movement ends it with exit code 0.
source "$(dirname "$0")/_lib.sh"
command -v Xephyr >/dev/null || fail "Xephyr is missing (xserver-xephyr)"
# The primary monitor is the first screen: 1024x768 at 800,0 of the X screen, 0,0 in Wine's
# eyes; the second one, 800x600 at 0,0 of the X screen, lies at -800,0.
start_monitors -origin 800,0 -screen 1024x768 -origin 0,0 -screen 800x600
install_saver
read -r vx vy vw vh monitors < <(probe screen)
[ "$vx $vy $vw $vh $monitors" = "-800 0 1824 768 2" ] ||
  fail "Wine's virtual screen is $vx $vy $vw $vh with $monitors monitors"
printf '[Zarmok]\r\nStopOnKey=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
xdotool mousemove 300 200

ZARMOK_STATS=1 start_saver /s
wait_saver_window >/dev/null
for i in $(seq 100); do
  [ "$(probe all TDesktopWindow | wc -w)" = 2 ] && break
  sleep 0.1
done
covered=$(for window in $(probe all TDesktopWindow); do probe rect "$window"; done | sort -n)
[ "$covered" = "$(printf -- '-800 0 0 600\n0 0 1024 768')" ] ||
  fail "the saver's windows cover: $(tr '\n' ',' <<<"$covered")"
saver_runs_on 5 || fail "the saver's appearance under a still pointer ended it"
# A movement message with no movement of the pointer, as the system sends when a window changes
# under it, is none either, whatever client position the message names.
for window in $(probe all TDesktopWindow); do probe post "$window" move || fail "could not post a move"; done
saver_runs_on 1 || fail "a movement message without a movement ended the saver"
xdotool mousemove 320 210
wait_exit "$SAVER_PID" 10 || fail "a movement on the second monitor did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after a movement"
echo "ok"
