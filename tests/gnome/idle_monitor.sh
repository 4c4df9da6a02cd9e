#!/usr/bin/env bash
# GNOME's idle count as --idle watches it, under the real GNOME Shell: injected input resets the
# shell's idle time, the watch reports the wanted idleness once input has stopped that long, each
# idle period once, a new one after a key, and ends with exit code 0 at SIGTERM.
source "$(dirname "$0")/_lib.sh"
[ -n "${ZARMOK_GNOME_IDLE_PROBE:-}" ] || fail "ZARMOK_GNOME_IDLE_PROBE names no program"
start_gnome 800x600
as_user exec_user "$WORK/bin/idle-probe" 2000 >"$WORK/probe.out" 2>"$WORK/probe.err" &
probe=$!
CLEANUP_PIDS+=("$probe")

# reports: how many idle periods the watch reported; reported N: whether that many.
reports() { grep -c '^idle' "$WORK/probe.out" || true; }
reported() { [ "$(reports)" = "$1" ]; }

# A user who moves the pointer three times a second for three seconds is never idle for two.
start=$SECONDS
while [ $SECONDS -lt $((start + 3)) ]; do
  hands move 1 0 >/dev/null
  idle=$(hands idletime)
  [ "$idle" -lt 1000 ] || fail "a movement left GNOME's idle time at $idle ms"
  sleep 0.3
done
reported 0 || fail "idleness reported while the user was busy: $(cat "$WORK/probe.out")"

wait_for 6 "two seconds without input were not reported" reported 1
idle=$(sed -n 's/^idle //p' "$WORK/probe.out")
[ "$idle" -ge 2000 ] && [ "$idle" -lt 3000 ] || fail "reported at $idle ms of idleness"
echo "reported at $idle ms"

hands key 30 >/dev/null
wait_for 6 "the idle period after a key was not reported" reported 2

kill -TERM "$probe"
wait_exit "$probe" 5 || fail "SIGTERM did not end the watch"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"
echo "PASS"
