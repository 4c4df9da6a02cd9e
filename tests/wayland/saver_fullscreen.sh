#!/usr/bin/env bash
# zarmok /s on a compositor with the layer shell: one surface per output covers it whole, each
# output with a swarm of its own; a second start while it runs ends at once with 0, however it
# names the compositor and whether or not it has a runtime folder; a key ends it with 0 and
# leaves no surface and no running flag behind. An output that appears is covered too. A flag
# that another user's program holds cannot keep the saver away: it says so and runs.
source "$(dirname "$0")/_lib.sh"
start_sway
write_settings '[Zarmok]' MaxBugs=8
start_saver /s
wait_covered 10 HEADLESS-1 HEADLESS-2
saver_running || fail "the saver holds no lock while it runs"

# Each output its own swarm: both drawn, and not the same picture.
sleep 1
one=$(shot HEADLESS-1)
cp "$one" "$WORK/one.png"
two=$(shot HEADLESS-2)
lit_one=$(lit_pixels "$WORK/one.png")
lit_two=$(lit_pixels "$two")
echo "lit pixels: HEADLESS-1 $lit_one, HEADLESS-2 $lit_two"
[ "$lit_one" -ge 50 ] && [ "$lit_two" -ge 50 ] || fail "an output shows no swarm"
[ "$(compare -metric AE "$WORK/one.png" "$two" null: 2>&1 || true)" != 0 ] ||
  fail "both outputs show the same picture"

for how in "" "env -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=$WORK/run/$WL_NAME"; do
  # shellcheck disable=SC2086
  as_user $how "$SAVER" /s 2>"$WORK/err2" &
  second=$!
  wait_exit "$second" 5 || fail "a second start ($how) did not end at once"
  [ "$EXIT_CODE" = 0 ] || fail "a second start ($how) ended with $EXIT_CODE"
done

# An output that appears gets a window of its own.
as_user swaymsg create_output >/dev/null
wait_covered 10 HEADLESS-3
kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended when an output came"

press_key
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a key"
wait_uncovered 5 HEADLESS-1 HEADLESS-2
saver_running && fail "the running flag outlived the saver"

if [ "$(id -u)" = 0 ]; then
  flag="zarmok-running-$(as_user id -u)-$WORK/run/$WL_NAME"
  coproc SQUATTER { python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX); s.bind(b"\0" + sys.argv[1].encode()); s.listen()
print("bound", flush=True); sys.stdin.read()' "$flag"; }
  CLEANUP_PIDS+=("$SQUATTER_PID")
  read -r -t 10 answer <&"${SQUATTER[0]}" && [ "$answer" = bound ] || fail "no squatter"
  start_saver /s
  wait_covered 10 HEADLESS-1
  grep -qF "@$flag: Address already in use" "$WORK/err" || fail "the saver did not say why"
  press_key
  wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
  echo "a flag held by another user: the saver ran and said $(cat "$WORK/err")"
fi
echo "PASS"
