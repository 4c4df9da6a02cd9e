#!/usr/bin/env bash
# The password hand-off of /s through the registry flag and a scripted PASSWORD.CPL in the
# prefix's system folder: one key press asks the library once, with the saver's own window; a
# refusal keeps the saver running, a verdict whose lowest byte is 0 is a refusal, an acceptance
# ends it with exit code 0. A flag of 0 asks nobody; a flag stored as text lets the host's dialog
# decide and never locks the user out.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver
use_scripted_password_library

# press_key: presses a key once and waits for the call it must cause; sets ASKED, the number of
# calls the library has had once that press is answered.
press_key() {
  local deadline=$((SECONDS + 10))
  ASKED=$(($(calls) + 1))
  xdotool key space
  until [ "$(calls)" -ge "$ASKED" ]; do
    [ $SECONDS -lt $deadline ] || fail "a key press did not ask the library"
    sleep 0.05
  done
}

# asked_once: fails when the one key press asked the library more than once.
asked_once() {
  [ "$(calls)" = "$ASKED" ] || fail "one key press asked the library $(($(calls) - ASKED + 1)) times"
}

set_password_flag REG_DWORD 1
start_saver /s
wait_drawn
for verdict in 0 0x100 0xFFFFFF00; do
  echo "$verdict" >"$WORK/verdict"
  press_key
  # The verdict is the saver's once the library logged it; taken for an acceptance, it would end
  # the saver well within this second.
  if wait_exit "$SAVER_PID" 1; then fail "the saver ended although the verdict was $verdict"; fi
  asked_once
done
tr -d '\r' <"$WORK/calls.log" | grep -q 'VerifyScreenSavePwd window=own -> 0x100$' ||
  fail "not called with the saver's own window: $(cat "$WORK/calls.log")"
echo 1 >"$WORK/verdict"
press_key
wait_exit "$SAVER_PID" 10 || fail "an acceptance did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after an acceptance"
asked_once

# A flag of 0: no password, the library is never asked.
set_password_flag REG_DWORD 0
before=$(calls)
start_saver /s
wait_drawn
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "a flag of 0 kept the saver running"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE with a flag of 0"
[ "$(calls)" = "$before" ] || fail "the library was asked although the flag is 0"

# The flag as text: the host's dialog decides, and its acceptance ends the saver.
set_password_flag REG_SZ 1
start_saver /s
wait_drawn
press_key
wait_exit "$SAVER_PID" 10 || fail "a flag stored as text locked the user out"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE with the flag stored as text"
asked_once
echo "ok"
