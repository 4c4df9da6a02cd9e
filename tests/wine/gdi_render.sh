#!/usr/bin/env bash
# zarmok-gdi-render draws one seeded run through GDI and through the canvas at once: in both
# styles after 600 steps the two pictures agree to the pixel, and a settings file named
# relative to the current folder is the one read (the profile service alone would look for it
# in the Windows folder and run with the defaults).
source "$(dirname "$0")/_lib.sh"
[ -n "${ZARMOK_GDI_RENDER_PATH:-}" ] || fail "ZARMOK_GDI_RENDER_PATH is not set"
start_xvfb 640x480
cd "$WORK"
printf '[Zarmok]\r\nBugsType=0\r\n' >type_a.ini
printf '[Zarmok]\r\nBugsType=1\r\n' >type_b.ini
for style in a b; do
  wine "$ZARMOK_GDI_RENDER_PATH" --size 800x600 --seed 20261207 --steps 600 \
    --ini "type_$style.ini" --gdi "gdi_$style.ppm" >"out_$style" 2>"$WORK/err" ||
    fail "type $style: exit code $?"
  grep -q '^seed 20261207 size 800x600 steps 600 differing 0' "out_$style" ||
    fail "type $style: $(cat "out_$style")"
  read -r coloured lit < <(pixel_stats "gdi_$style.ppm")
  [ "$coloured" -gt 100 ] || fail "type $style: only $coloured coloured pixels ($lit lit)"
done
# The two styles drew different pictures: each file was read.
cmp -s gdi_a.ppm gdi_b.ppm && fail "both settings files drew the same picture"
echo "PASS"
