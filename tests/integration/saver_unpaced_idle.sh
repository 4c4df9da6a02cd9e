#!/usr/bin/env bash
# An unpaced saver with nothing to draw (StepsPerSecond=0 with Speed=0, or with BugPtnExCyc=0)
# still hears its user and its host at once: a key, a click and SIGTERM each end it within a few
# milliseconds of their coming, with exit code 0 and nothing left behind.
source "$(dirname "$0")/_lib.sh"
start_xvfb 640x480
SAVER=$(install_saver)

# ends_at_once SETTING ACTION...: the unpaced saver with SETTING ends within 100 ms of ACTION.
ends_at_once() {
  write_settings '[Zarmok]' StepsPerSecond=0 "$1"
  start_saver /s
  id=$(wait_for_window TDesktopWindow 10) || fail "no saver window: $(cat "$WORK/err")"
  wait_for_focus "$id" || fail "the saver never took the keyboard"
  "${@:2}"
  wait_exit_ms "$SAVER_PID" 100 || fail "'${*:2}' did not end the saver with $1 within 100 ms"
  [ "$EXIT_CODE" = 0 ] || fail "'${*:2}' ended it with $EXIT_CODE: $(cat "$WORK/err")"
  no_saver_left
}
ends_at_once Speed=0 xdotool key a
ends_at_once BugPtnExCyc=0 xdotool click 1
terminate() { kill -TERM "$SAVER_PID"; }
ends_at_once Speed=0 terminate
echo "PASS"
