#!/usr/bin/env bash
# The pointer over the Wayland saver: movements within the grace of the first ten steps do not
# end it, one after the grace does; a click of the primary button ends it at once. A pointer
# that exists before the saver starts is taken by it at once, so no movement is lost.
source "$(dirname "$0")/_lib.sh"
start_sway
# Four steps a second: the grace lasts 2.5 s, long enough to move within it on any machine.
write_settings '[Zarmok]' StepsPerSecond=4
coproc POINTER { as_user exec_user "$WORK/bin/client" pointer 1600 600; }
CLEANUP_PIDS+=("$POINTER_PID")
read -r -t 10 answer <&"${POINTER[0]}" && [ "$answer" = ready ] || fail "no virtual pointer"
# pointer COMMAND: one command of the virtual pointer, done once the compositor has handled it.
pointer() {
  echo "$*" >&"${POINTER[1]}"
  read -r -t 10 answer <&"${POINTER[0]}" && [ "$answer" = ok ] || fail "the pointer did not $*"
}

pointer move 400 300
start_saver /s
started=$(now_ms)
wait_covered 10 HEADLESS-1 HEADLESS-2
pointer move 420 310
pointer move 1200 300
# Still within the grace: a movement now ended nothing (the run would end within a step).
sleep 0.5
[ $(($(now_ms) - started)) -lt 2200 ] || fail "too slow to move within the grace"
kill -0 "$SAVER_PID" 2>/dev/null || fail "a movement within the grace ended the saver"
# Past the grace (2.5 s of steps after the windows were made, which was after the start).
sleep "$(awk -v left=$((3000 - ($(now_ms) - started))) 'BEGIN { print (left > 0 ? left / 1000 : 0) }')"
kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended by itself"
pointer move 700 200
wait_exit "$SAVER_PID" 5 || fail "a movement after the grace did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a movement"

start_saver /s
wait_covered 10 HEADLESS-1 HEADLESS-2
pointer click
wait_exit "$SAVER_PID" 5 || fail "a click did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a click"
echo "PASS"
