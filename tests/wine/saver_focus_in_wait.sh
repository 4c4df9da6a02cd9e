#!/usr/bin/env bash
# Another X program taking the keyboard while the saver waits between its steps ends the
# full-screen saver: under a window manager Wine tells the saver's window of the lost foreground
# from inside that wait, and what the window is told there is acted on like any other message.
# At one step a second the saver spends nearly all its time waiting.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
start_window_manager openbox
install_saver
set_password_flag REG_DWORD 0
printf '[Zarmok]\r\nStepsPerSecond=1\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
ZARMOK_STATS=1 start_saver /s
wait_active "$(wait_saver_window)"
saver_runs_on 1 || fail "the saver ended before another program took the keyboard"
# The window manager gives the new window the keyboard.
xmessage -geometry 200x100+100+100 "other program" &
CLEANUP_PIDS+=($!)
wait_exit "$SAVER_PID" 5 || fail "the saver ran on behind another X program's window"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after another X program took the keyboard"
echo "ok"
