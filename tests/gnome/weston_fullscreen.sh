#!/usr/bin/env bash
# weston, which offers no layer shell either, its X11 back end in an Xvfb with two outputs: a
# full-screen xdg_toplevel on each output covers that output whole on the screen, and
# a key typed with xdotool into the outputs' X windows reaches the client that has the keyboard.
source "$(dirname "$0")/_lib.sh"
start_weston
start_client red --output 0 200 40 40
wait_line 10 red shown
start_client green --output 1 40 160 40
green_pid=$CLIENT_PID
wait_line 10 green shown
wait_colour 10 weston_shot 800x600+0+0 200,40,40 $((800 * 600))
wait_colour 10 weston_shot 800x600+800+0 40,160,40 $((800 * 600))
echo "each output covered by its client"

wait_line 10 green keyboard
xdotool mousemove 1200 300 key a
wait_line 10 green "key 30"
wait_exit "$green_pid" 5 || fail "the client with the keyboard did not end at its key"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE"
! grep -q "^key [0-9]" "$WORK/red.out" || fail "the key reached the client without the keyboard too"
echo "PASS"
