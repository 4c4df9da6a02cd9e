#!/usr/bin/env bash
# When the X server goes away under a running saver, paced or unpaced, the program does not
# hang or spin: it ends with exit code 1 within a second, its report of the lost connection on
# the error stream (no box: there is no display to show one on).
source "$(dirname "$0")/_lib.sh"
SAVER=$(install_saver)

for rate in 60 0; do
  start_xvfb 640x480
  write_settings '[Zarmok]' "StepsPerSecond=$rate"
  LC_ALL=ja_JP.UTF-8 start_saver /s
  wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window: $(cat "$WORK/err")"
  stop_display_servers
  X_PIDS=()
  wait_exit "$SAVER_PID" 1 || fail "the saver at $rate steps/s outlived its X server by a second"
  [ "$EXIT_CODE" = 1 ] || fail "exit code $EXIT_CODE at $rate steps/s: $(cat "$WORK/err")"
  [ "$(cat "$WORK/err")" = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ: X サーバーとの接続が切れました" ] ||
    fail "the report at $rate steps/s: $(cat "$WORK/err")"
done
echo "PASS"
