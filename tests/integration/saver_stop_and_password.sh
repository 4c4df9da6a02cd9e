#!/usr/bin/env bash
# Stop conditions and the password hand-off of the real program: a click and (after the grace
# steps) a mouse movement end the saver; with the host's password flag on, "/s" asks the host's
# verification library and keeps running when it refuses, while "/S" closes without asking;
# "/a" hands the request to the change library, and without one ends silently.
source "$(dirname "$0")/_lib.sh"
start_xvfb 640x480
SAVER=$(install_saver)
hostlib=${ZARMOK_TEST_HOSTLIB_DIR:?ZARMOK_TEST_HOSTLIB_DIR must name the scripted host libraries}
log="$WORK/hostlib.log"
export ZARMOK_TEST_HOSTLIB_LOG="$log"

# ends_with ACTION...: starts "/s", runs the xdotool action, expects exit 0 within 2 s.
ends_with() {
  start_saver /s
  wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window: $(cat "$WORK/err")"
  sleep 0.5
  xdotool "$@"
  wait_exit "$SAVER_PID" 2 || fail "'$*' did not end the saver"
  [ "$EXIT_CODE" = 0 ] || fail "'$*' ended it with $EXIT_CODE: $(cat "$WORK/err")"
  no_saver_left
}
ends_with click 1
ends_with mousemove 100 100 sleep 0.2 mousemove 300 200

# A password in force, and a host that refuses it.
mkdir -p "$XDG_CONFIG_HOME/zarmok"
printf '[Control Panel\\desktop]\nScreenSaveUsePassword=1\n' >"$XDG_CONFIG_HOME/zarmok/host.ini"
export ZARMOK_HOST_LIBDIR="$hostlib"
export ZARMOK_TEST_VERDICT=0x100  # lowest byte 0: refused
start_saver /s
id=$(wait_for_window TDesktopWindow 10) || fail "no saver window"
sleep 0.5
xdotool key a
sleep 0.5
xdotool click 1
sleep 0.5
kill -0 "$SAVER_PID" || fail "the saver ended although the host refused: $(cat "$WORK/err")"
[ "$(grep -c '^VerifyScreenSavePwd' "$log")" = 2 ] || fail "expected two verifications: $(cat "$log")"
grep -q "^VerifyScreenSavePwd $((id)) " "$log" || fail "the saver window's id was not passed: $(cat "$log")"
kill "$SAVER_PID"
wait "$SAVER_PID" 2>/dev/null || true

# The host allows it.
export ZARMOK_TEST_VERDICT=1
rm -f "$log"
ends_with key Return
[ "$(grep -c '^VerifyScreenSavePwd' "$log")" = 1 ] || fail "expected one verification: $(cat "$log")"

# "/S" is not "/s": no question asked.
rm -f "$log"
start_saver /S
wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window for /S"
sleep 0.5
xdotool key a
wait_exit "$SAVER_PID" 2 || fail "/S did not end on a key"
[ ! -e "$log" ] || fail "/S asked the host: $(cat "$log")"

# The password change goes to MPR.DLL with SCRSAVE, no owner, 0, 0.
"$SAVER" /a 12345 2>"$WORK/err" || fail "/a failed: $(cat "$WORK/err")"
[ "$(cat "$log")" = "PwdChangePasswordA SCRSAVE 0 0 0" ] || fail "unexpected change call: $(cat "$log")"
# Without the host's library: silently nothing, exit 0.
ZARMOK_HOST_LIBDIR="$WORK/nowhere" "$SAVER" /a 2>"$WORK/err" || fail "/a without library failed"
[ ! -s "$WORK/err" ] || fail "/a without library said: $(cat "$WORK/err")"
echo "PASS"
