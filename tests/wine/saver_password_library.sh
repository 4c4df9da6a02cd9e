#!/usr/bin/env bash
# The host's password libraries are loaded from the system folder by their full path, never by
# bare name: an impostor of each lies beside the program, where a load by bare name looks first,
# and the system's own are the scripted ones. With a password in force a key press asks the
# system's PASSWORD.CPL, whose acceptance ends the saver (the impostor would refuse); /a calls
# the system's MPR.DLL. The impostors are never called.
source "$(dirname "$0")/_lib.sh"
for variable in ZARMOK_IMPOSTOR_CPL_PATH ZARMOK_IMPOSTOR_MPR_PATH; do
  [ -n "${!variable:-}" ] || fail "$variable is not set"
done
start_xvfb 800x600
install_saver
place_host_library "$ZARMOK_TEST_CPL_PATH" PASSWORD.CPL
place_host_library "$ZARMOK_TEST_MPR_PATH" mpr.dll
cp "$ZARMOK_IMPOSTOR_CPL_PATH" "$SCR_DIR/PASSWORD.CPL"
cp "$ZARMOK_IMPOSTOR_MPR_PATH" "$SCR_DIR/MPR.DLL"
export ZARMOK_TEST_HOSTLIB_LOG
ZARMOK_TEST_HOSTLIB_LOG=$(win_path "$WORK/calls.log")
calls() { tr -d '\r' <"$WORK/calls.log" 2>/dev/null || true; }

set_password_flag REG_DWORD 1
start_saver /s
wait_drawn
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "the key press did not end the saver: $(calls)"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the password was accepted"
[ "$(calls)" = "VerifyScreenSavePwd window=own -> 0x1" ] || fail "the verification was called as: $(calls)"

# Wine prefers its own mpr.dll to a file of that name: WINEDLLOVERRIDES="mpr=n" makes the saver
# load the files, the system folder's and the one beside it alike.
rm -f "$WORK/calls.log"
WINEDLLOVERRIDES="mpr=n" start_saver /a
wait_exit "$SAVER_PID" 20 || fail "/a did not end"
[ "$(calls)" = "PwdChangePasswordA SCRSAVE owner=own visible=0 0 0" ] ||
  fail "the change entry was called as: $(calls)"
echo "ok"
