#!/usr/bin/env bash
# The saver keeps its pace to within 1 %: 60 and 120 steps per second, each measured by the
# loop over eight seconds of a full-screen run. Wine's timers are exact whatever a program asks,
# so this shows the pace and the waits' part in it; that the waits are as exact on Windows,
# whose timed waits otherwise end on 15.625 ms ticks, is shown by the unit tests of the wait.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver

for rate in 60 120; do
  printf '[Zarmok]\r\nStepsPerSecond=%s\r\n' "$rate" >"$(ini_file)"
  ZARMOK_STATS=1 start_saver /s
  wait_saver_window >/dev/null
  sleep 8
  xdotool key space
  wait_exit "$SAVER_PID" 10 || fail "the saver at $rate steps/s did not end"
  pace=$(loop_pace)
  [ -n "$pace" ] || fail "no measurements at $rate steps/s"
  awk -v p="$pace" -v r="$rate" 'BEGIN { exit !(p >= r * 0.99 && p <= r * 1.01) }' ||
    fail "$pace steps/s where $rate were asked"
  echo "$rate steps/s asked: $pace"
done
echo "ok"
