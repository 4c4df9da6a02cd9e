#!/usr/bin/env bash
# zarmok --idle SECONDS on Wayland: the compositor's idle notification (sway offers KDE's idle
# protocol) starts the full-screen saver after that much idleness, a key ends the run and the
# watch goes on, and SIGTERM ends the watch with exit code 0.
source "$(dirname "$0")/_lib.sh"
start_sway
write_settings '[Zarmok]'
start_saver --idle 2
sleep 1
[ "$(background_pixels "$(shot HEADLESS-1)")" = $((800 * 600)) ] ||
  fail "the saver came before its time"
for round in 1 2; do
  wait_covered 10 HEADLESS-1 HEADLESS-2
  press_key
  wait_uncovered 5 HEADLESS-1 HEADLESS-2
  kill -0 "$SAVER_PID" 2>/dev/null || fail "the watch ended with its run"
  echo "round $round: started after idleness, ended by a key"
done
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 5 || fail "SIGTERM did not end the watch"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"
echo "PASS"
