#!/usr/bin/env bash
# /a: the change entry of the host's MPR.DLL, a scripted one in the prefix's system folder, is
# called with "SCRSAVE", the program's own hidden application window and two zeros, and the
# program ends with exit code 0 without a window. Wine prefers its own mpr.dll to a file in
# system32: WINEDLLOVERRIDES="mpr=n" for the saver's process makes it load the file.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver
place_host_library "$ZARMOK_TEST_MPR_PATH" mpr.dll
export ZARMOK_TEST_HOSTLIB_LOG
ZARMOK_TEST_HOSTLIB_LOG=$(win_path "$WORK/calls.log")

WINEDLLOVERRIDES="mpr=n" start_saver /a 4242
wait_exit "$SAVER_PID" 20 || fail "/a did not end"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after /a"
[ -f "$WORK/calls.log" ] || fail "the change entry was not called"
calls=$(tr -d '\r' <"$WORK/calls.log")
[ "$calls" = "PwdChangePasswordA SCRSAVE owner=own visible=0 0 0" ] ||
  fail "the change entry was called as: $calls"
! probe find TDesktopWindow >/dev/null || fail "/a made a saver window"
echo "ok"
