#!/usr/bin/env bash
# Alt+F4 asks the full-screen saver to close, through its close query, when keys do not end it:
# with every stop condition off a key press leaves it running, and Alt+F4 ends it with exit
# code 0. With keys ending it, Alt+F4 is a key press like any other and ends it too.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver
set_password_flag REG_DWORD 0

printf '[Zarmok]\r\nStopOnKey=0\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
ZARMOK_STATS=1 start_saver /s
wait_drawn
xdotool key space key alt+x
saver_runs_on 1 || fail "a key press ended the saver with every stop condition off"
xdotool key alt+F4
wait_exit "$SAVER_PID" 10 || fail "Alt+F4 did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Alt+F4"

printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
start_saver /s
wait_drawn
xdotool key alt+F4
wait_exit "$SAVER_PID" 10 || fail "Alt+F4 did not end the saver that keys end"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Alt+F4 with keys ending the saver"
echo "ok"
