#!/usr/bin/env bash
# The Wayland saver draws exactly what the headless renderer draws for the same seed and size,
# at the output's full pixel size: on an output at scale 2 (a HiDPI desktop) as on one at scale
# 1, every pixel the same. The session seeds its second output's swarm with the seed plus one.
source "$(dirname "$0")/_lib.sh"
[ -x "${ZARMOK_RENDER_PATH:-}" ] || fail "ZARMOK_RENDER_PATH does not name zarmok-render"
[ -x "${ZARMOK_WL_SEEDED:-}" ] || fail "ZARMOK_WL_SEEDED does not name zarmok-wl-seeded"
start_sway
as_user swaymsg output HEADLESS-1 scale 2 >/dev/null
# Unpaced: the steps are counted, not timed.
write_settings '[Zarmok]' StepsPerSecond=0 MaxBugs=10
settings="$WORK/settings.ini"
printf '[Zarmok]\nStepsPerSecond=0\nMaxBugs=10\n' >"$settings"
coproc SEEDED { as_user exec_user "$WORK/bin/seeded" 4321 400 2>&1; }
CLEANUP_PIDS+=("$SEEDED_PID")
read -r -t 20 answer <&"${SEEDED[0]}" || fail "the seeded saver said nothing"
[ "$answer" = drawn ] || fail "the seeded saver: $answer"
for output in 1 2; do
  "$ZARMOK_RENDER_PATH" --ini "$settings" --size 800x600 --seed $((4320 + output)) --steps 400 \
    --png "$WORK/render-$output.png"
  lit=$(lit_pixels "$WORK/render-$output.png")
  [ "$lit" -ge 50 ] || fail "the renderer drew nothing to compare"
  # The last picture reaches the screen with the compositor's next frame.
  deadline=$(($(now_ms) + 5000))
  until cp "$(shot HEADLESS-$output)" "$WORK/wayland-$output.png" &&
    differing=$(compare -metric AE "$WORK/wayland-$output.png" "$WORK/render-$output.png" null: 2>&1 ||
      true) && [ "$differing" = 0 ]; do
    [ "$(now_ms)" -lt $deadline ] || break
    sleep 0.05
  done
  size=$(convert "$WORK/wayland-$output.png" -format '%wx%h' info:)
  [ "$size" = 800x600 ] || fail "HEADLESS-$output's picture is $size"
  echo "HEADLESS-$output: $differing pixels differ from zarmok-render's ($lit drawn)"
  [ "$differing" = 0 ] || fail "HEADLESS-$output differs from the renderer in $differing pixels"
done
exec {SEEDED[1]}>&-
echo "PASS"
