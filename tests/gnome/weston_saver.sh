#!/usr/bin/env bash
# zarmok /s on weston, which has no layer shell either, its X11 back end in an Xvfb with two
# outputs: a full-screen window on each output covers it whole, and a key typed with xdotool into
# the outputs' X windows ends it with exit code 0; an idle watch, with nothing to watch there,
# ends saying so.
source "$(dirname "$0")/_lib.sh"
start_weston
outputs=(800x600+0+0 800x600+800+0)
desktop_shot weston_shot "${outputs[@]}"
write_settings '[Zarmok]' MaxBugs=8
start_saver /s
wait_desktop 10 weston_shot covered "${outputs[@]}"
xdotool mousemove 1200 300 key a
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a key"
wait_desktop 10 weston_shot uncovered "${outputs[@]}"
# weston tells no client of the user's idleness: the idle watch says so and ends, rather than
# starting the saver at every login. No X display, so that stderr carries the report alone.
DISPLAY= start_saver --idle 600
wait_exit "$SAVER_PID" 10 || fail "the idle watch did not end"
[ "$EXIT_CODE" = 1 ] || fail "exit $EXIT_CODE from an idle watch with nothing to watch"
grep -q "does not offer ext_idle_notifier_v1" "$WORK/err" || fail "no reason on stderr: $(cat "$WORK/err")"
echo "PASS"
