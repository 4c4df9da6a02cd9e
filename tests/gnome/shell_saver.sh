#!/usr/bin/env bash
# zarmok /s on GNOME Shell, which has no layer shell: a full-screen window on each virtual monitor
# covers it whole, each with a swarm of its own; a second start exits 0 at once; movements within
# the grace of the first ten steps do not end it, a key does, with exit code 0. zarmok --idle 3
# starts it from GNOME's idle time: a key ends that run, a movement past the grace the next, and
# SIGTERM ends the watch with exit code 0. Another window that takes the keyboard ends it too.
source "$(dirname "$0")/_lib.sh"
start_gnome 640x480 480x360
monitors=(640x480+0+0 480x360+640+0)
desktop_shot gnome_shot "${monitors[@]}"
# One step a second: the grace lasts 10 s, long enough to move within it while GNOME Shell's
# software rendering shares a loaded machine with other tests.
write_settings '[Zarmok]' StepsPerSecond=1 MaxBugs=8
start_saver /s
started=$(now_ms)
wait_desktop 20 gnome_shot covered "${monitors[@]}"
hands move 30 20
hands move -10 5
[ $(($(now_ms) - started)) -lt 9000 ] || fail "too slow to move within the grace"
as_user "$SAVER" /s 2>"$WORK/second.err" &
second=$!
wait_exit "$second" 5 || fail "a second start did not end at once"
[ "$EXIT_CODE" = 0 ] || fail "a second start ended with $EXIT_CODE"
kill -0 "$SAVER_PID" 2>/dev/null || fail "a movement within the grace ended the saver"
# A swarm on each monitor, once a few steps have drawn it.
swarms() {
  local monitor
  shot=$(gnome_shot swarm) || return 1
  for monitor in "${monitors[@]}"; do [ "$(lit_pixels "$shot" "$monitor")" -ge 20 ] || return 1; done
}
wait_for 15 "a monitor shows no swarm" swarms
same=$(compare -metric AE "$shot[${monitors[1]%%+*}+0+0]" "$shot[${monitors[1]}]" null: 2>&1 || true)
[ "$same" != 0 ] || fail "both monitors show the same swarm"

hands key 30
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a key"
wait_desktop 10 gnome_shot uncovered "${monitors[@]}"
echo "zarmok /s: covered both monitors, a key ended it"

write_settings '[Zarmok]' StepsPerSecond=4 MaxBugs=8
hands move 1 0
idle_since=$(now_ms)
start_saver --idle 3
watch=$SAVER_PID
wait_desktop 15 gnome_shot covered "${monitors[0]}"
idle=$(($(now_ms) - idle_since))
echo "the idle watch started the saver after ${idle} ms without input"
# The last input came a little before its answer.
[ "$idle" -ge 2950 ] || fail "the saver came after $idle ms of idleness, not 3 s"
hands key 30
wait_desktop 10 gnome_shot uncovered "${monitors[0]}"
wait_desktop 15 gnome_shot covered "${monitors[0]}"
# A movement past the grace of 2.5 s ends the run: the pointer moves until it has.
deadline=$(($(now_ms) + 10000))
until shows gnome_shot uncovered "${monitors[0]}"; do
  [ "$(now_ms)" -lt $deadline ] || fail "movements did not end the run"
  hands move 5 0
done
kill -0 "$watch" 2>/dev/null || fail "the idle watch ended with its saver"
kill -TERM "$watch"
wait_exit "$watch" 5 || fail "SIGTERM did not end the idle watch"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"

# A window that comes up and takes the keyboard: the saver lost the foreground, which closes it.
[ -x "$WORK/bin/client" ] || fail "ZARMOK_WL_CLIENT names no program"
start_saver /s
wait_desktop 15 gnome_shot covered "${monitors[@]}"
as_user exec_user "$WORK/bin/client" window 0 255 0 >"$WORK/window.out" &
CLEANUP_PIDS+=($!)
wait_exit "$SAVER_PID" 10 || fail "the saver went on under a window that took the keyboard"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after the keyboard went to another window"
echo "PASS"
