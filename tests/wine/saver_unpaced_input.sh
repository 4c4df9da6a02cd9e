#!/usr/bin/env bash
# Nothing locks the user out: unpaced, with bugs that never move so that a step draws nothing
# and the loop never waits, a key press and a click each end the full-screen saver at once. The
# loop looks at its messages every millisecond; what is measured here is the time from another
# program's post to the loop's end, on a machine whose other work may hold either up.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver
set_password_flag REG_DWORD 0
printf '[Zarmok]\r\nStepsPerSecond=0\r\nSpeed=0\r\n' >"$(ini_file)"
for input in key click; do
  ZARMOK_STATS=1 start_saver /s
  window=$(wait_saver_window)
  wait_active "$window"
  took=$(probe ends "$window" "$input" "$(win_path "$WORK/err")" 5) ||
    fail "the saver ran on after a $input"
  echo "a $input: the saver's loop ended $took ms after it was posted"
  awk -v t="$took" 'BEGIN { exit !(t <= 1000 / 60) }' || fail "$took ms to end after a $input"
  wait_exit "$SAVER_PID" 10 || fail "the saver did not exit after a $input"
done
echo "ok"
