#!/usr/bin/env bash
# "zarmok --wallpaper" draws the swarm into the root window, under an ordinary window that stays
# whole above it; it makes no saver window and raises no running flag, no input ends it, a
# full-screen saver still starts beside it and, when it ends, the root's exposure is painted
# again; SIGTERM ends it with exit code 0 and the root shows its own colour again everywhere.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
SAVER=$(install_saver)
grey='#7f7f7f'

# grey_pixels FILE: how many pixels of the picture are the root's own colour.
grey_pixels() {
  local count
  count=$(convert "$1" -fill black +opaque "$grey" -fill white -opaque "$grey" \
    -format '%[fx:mean*w*h]' info:)
  echo "${count%.*}"
}

xsetroot -solid "$grey"
xmessage -geometry 300x200+40+40 "above the swarm" &
CLEANUP_PIDS+=($!)
above=$(wait_for_window Xmessage 5) || fail "no ordinary window"
sleep 0.5
import -window "$above" "$WORK/above-before.png"

start_saver --wallpaper
sleep 3
kill -0 "$SAVER_PID" || fail "the wallpaper ended: $(cat "$WORK/err")"
import -window root "$WORK/swarm.png"
read -r coloured _ < <(pixel_stats "$WORK/swarm.png")
[ "$coloured" -ge 50 ] || fail "no swarm on the root ($coloured coloured pixels)"
import -window "$above" "$WORK/above-after.png"
changed=$(compare -metric AE "$WORK/above-before.png" "$WORK/above-after.png" null: 2>&1 || true)
[ "$changed" = 0 ] || fail "$changed pixels of the ordinary window changed under the wallpaper"
if xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1; then fail "a saver window exists"; fi
[ -z "$(running_property)" ] || fail "the wallpaper raised the running flag"

xdotool mousemove 600 400 click 1 key a mousemove 500 300 key Escape click 3 mousemove 700 500
sleep 1
kill -0 "$SAVER_PID" || fail "input ended the wallpaper: $(cat "$WORK/err")"

"$SAVER" /s 2>"$WORK/full.err" &
full=$!
CLEANUP_PIDS+=("$full")
wait_for_window TDesktopWindow 10 >/dev/null || fail "no full-screen saver beside the wallpaper"
[ "$(running_property)" = "= 1" ] || fail "the full-screen saver has no running flag"
sleep 0.5
xdotool key space
wait_exit "$full" 5 || fail "a key did not end the full-screen saver"
[ "$EXIT_CODE" = 0 ] || fail "full-screen saver exit $EXIT_CODE: $(cat "$WORK/full.err")"
# The root's background showed where the saver went; the wallpaper paints it over at once.
sleep 1
import -window root "$WORK/exposed.png"
left=$(grey_pixels "$WORK/exposed.png")
[ "$left" -lt 100 ] || fail "$left pixels of the root's colour left after the saver went"

kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 3 || fail "SIGTERM did not end the wallpaper"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM: $(cat "$WORK/err")"
import -window root "$WORK/after.png"
ground=$(grey_pixels "$WORK/after.png")
# Everything but the ordinary window (and its border) is the root's colour again.
outside=$(xwininfo -id "$above" | awk '/Width:/ {w=$2} /Height:/ {h=$2} /Border width:/ {b=$3}
  END {print 800 * 600 - (w + 2 * b) * (h + 2 * b)}')
[ "$ground" -eq "$outside" ] || fail "$ground pixels of the root's colour after the end, not $outside"
echo "PASS"
