#!/usr/bin/env bash
# The full-screen saver draws: after a few seconds at the defaults the screen holds coloured
# bugs on black, and nothing of the desktop (painted white first) shows around them; a mouse
# movement ends it. A
# ZARMOK_SCREENSHOT_DIR keeps the picture.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver
xsetroot -solid white
start_saver /s
wait_saver_window >/dev/null
sleep 4
screenshot "$WORK/saver.png"
[ -n "${ZARMOK_SCREENSHOT_DIR:-}" ] && cp "$WORK/saver.png" "$ZARMOK_SCREENSHOT_DIR/saver-wine.png"
read -r coloured lit < <(pixel_stats "$WORK/saver.png")
[ "$coloured" -gt 100 ] || fail "only $coloured coloured pixels on the screen"
white=$(convert "$WORK/saver.png" -fill black +opaque white -format '%[fx:mean*w*h]' info:)
[ "${white%.*}" -lt 10 ] || fail "${white%.*} desktop pixels show around the saver"
# Bugs are small figures on black: most of the screen stays black.
[ "$lit" -lt $((1024 * 768 / 4)) ] || fail "$lit pixels lit: the screen is not black"
# A movement of the pointer ends it (the grace of ten steps is long over).
xdotool mousemove 200 200 sleep 0.2 mousemove 400 300
wait_exit "$SAVER_PID" 10 || fail "a mouse movement did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after a mouse movement"
echo "ok ($coloured coloured pixels)"
