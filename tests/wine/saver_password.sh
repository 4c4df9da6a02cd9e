#!/usr/bin/env bash
# The password hand-off of /s through the registry flag and a scripted PASSWORD.CPL in the
# prefix's system folder: the library is called with the saver's own window; a refusal keeps
# the saver running, a verdict whose lowest byte is 0 is a refusal, an acceptance ends it with
# exit code 0. A flag of 0 asks nobody; a flag stored as text lets the host's dialog decide and
# never locks the user out.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver
place_host_library "$ZARMOK_TEST_CPL_PATH" PASSWORD.CPL
export ZARMOK_TEST_HOSTLIB_LOG ZARMOK_TEST_VERDICT_FILE
ZARMOK_TEST_HOSTLIB_LOG=$(win_path "$WORK/calls.log")
ZARMOK_TEST_VERDICT_FILE=$(win_path "$WORK/verdict")
calls() { if [ -f "$WORK/calls.log" ]; then grep -c VerifyScreenSavePwd "$WORK/calls.log"; else echo 0; fi; }

# press_until_calls N: presses a key until the library has been called N times.
press_until_calls() {
  local i
  for i in $(seq 40); do
    [ "$(calls)" -ge "$1" ] && return 0
    xdotool key space
    sleep 0.25
  done
  fail "the library was called $(calls) times, not $1"
}

set_password_flag REG_DWORD 1
start_saver /s
wait_saver_window >/dev/null
sleep 0.5
for verdict in 0 0x100 0xFFFFFF00; do
  echo "$verdict" >"$WORK/verdict"
  before=$(calls)
  press_until_calls $((before + 1))
  sleep 0.5
  kill -0 "$SAVER_PID" || fail "the saver ended although the verdict was $verdict"
done
tr -d '\r' <"$WORK/calls.log" | grep -q 'VerifyScreenSavePwd window=own -> 0x100$' ||
  fail "not called with the saver's own window: $(cat "$WORK/calls.log")"
echo 1 >"$WORK/verdict"
press_until_calls $(($(calls) + 1))
wait_exit "$SAVER_PID" 10 || fail "an acceptance did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after an acceptance"

# A flag of 0: no password, the library is never asked.
set_password_flag REG_DWORD 0
before=$(calls)
start_saver /s
wait_saver_window >/dev/null
sleep 0.5
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "a flag of 0 kept the saver running"
[ "$(calls)" = "$before" ] || fail "the library was asked although the flag is 0"

# The flag as text: the host's dialog decides, and its acceptance ends the saver.
set_password_flag REG_SZ 1
start_saver /s
wait_saver_window >/dev/null
sleep 0.5
press_until_calls $(($(calls) + 1))
wait_exit "$SAVER_PID" 10 || fail "a flag stored as text locked the user out"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE with the flag stored as text"
echo "ok"
