#!/usr/bin/env bash
# After a few seconds the full-screen saver shows coloured bugs with trails on black: many
# coloured pixels, yet most of the screen still black.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
SAVER=$(install_saver)
write_settings '[Zarmok]' MaxBugs=8
start_saver /s
wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window: $(cat "$WORK/err")"
sleep 4
import -window root "$WORK/saver.png"
read -r coloured lit < <(pixel_stats "$WORK/saver.png")
echo "coloured pixels: $coloured, lit pixels: $lit"
[ "$coloured" -ge 200 ] || fail "too few coloured pixels: $coloured"
[ "$lit" -le $((1024 * 768 / 4)) ] || fail "the screen is not mostly black: $lit lit"
if [ -n "${ZARMOK_SCREENSHOT_OUT:-}" ]; then cp "$WORK/saver.png" "$ZARMOK_SCREENSHOT_OUT"; fi
xdotool key a
wait_exit "$SAVER_PID" 5 || fail "the saver did not end"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE"
echo "PASS"
