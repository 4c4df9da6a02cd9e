#!/usr/bin/env bash
# Another program taking the foreground ends the full-screen saver through its close query: a
# saver that has lost the keys to another window could never be ended by them. With no password
# in force it ends with exit code 0, at the default settings and with keys as the only stop
# condition alike (no movement or click is what ends it); with a password in force the close
# query asks the host's library once, and its refusal keeps the saver running, which takes the
# keyboard back from the other program.
source "$(dirname "$0")/_lib.sh"
start_xvfb 1024x768
install_saver
use_scripted_password_library
# The pointer rests where the other program's window appears, as a user's hand on the mouse.
xdotool mousemove 150 130

# take_foreground: another program opens a window and makes it the foreground one, while the
# saver runs; the saver's stop conditions alone would not have ended it in that time.
take_foreground() {
  wait_drawn
  saver_runs_on 1 || fail "the saver ended before another program took the foreground"
  wine "$ZARMOK_PROBE_PATH" foreground 4 >"$WORK/foreground" 2>/dev/null &
  CLEANUP_PIDS+=($!)
}

set_password_flag REG_DWORD 0
for settings in "" 'StopOnMouseMove=0\r\nStopOnMouseClick=0\r\n'; do
  printf "[Zarmok]\r\n$settings" >"$(ini_file)"
  ZARMOK_STATS=1 start_saver /s
  take_foreground
  wait_exit "$SAVER_PID" 10 || fail "the saver ran on behind another program's window (settings: $settings)"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the foreground was taken"
  grep -q taken "$WORK/foreground" || fail "the other program did not get the foreground"
  probe gone TDesktopWindow 5 || fail "a TDesktopWindow outlived the saver"
done
[ "$(calls)" = 0 ] || fail "the password library was asked with no password in force"

set_password_flag REG_DWORD 1
# Refused as a user does it, after a moment at the password dialog.
echo "0 300" >"$WORK/verdict"
printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
ZARMOK_STATS=1 start_saver /s
take_foreground
deadline=$((SECONDS + 10))
until [ "$(calls)" -ge 1 ]; do
  [ $SECONDS -lt $deadline ] || fail "losing the foreground did not ask the password library"
  sleep 0.1
done
saver_runs_on 1 || fail "a refused password let the saver end"
wait_active "$(probe find TDesktopWindow)" 5
[ "$(calls)" = 1 ] || fail "losing the foreground asked the library $(calls) times"
echo 1 >"$WORK/verdict"
probe post "$(probe find TDesktopWindow)" close || fail "could not ask the saver to close"
wait_exit "$SAVER_PID" 10 || fail "an accepted password did not end the saver"
echo "ok"
