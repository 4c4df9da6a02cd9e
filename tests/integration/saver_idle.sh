#!/usr/bin/env bash
# "zarmok --idle 2" watches the X server's idle time: no saver while input keeps coming, the
# full-screen saver after two idle seconds, a key ends that run and the saver comes again after
# the next idle period. A video player's inhibitors hold it off as the server applies them: its
# heartbeat (XResetScreenSaver, which "xset s reset" sends) and its suspension of the server's
# own saver (XScreenSaverSuspend). SIGTERM ends the watch, while its saver runs or while it
# waits, with exit code 0 and nothing left behind.
source "$(dirname "$0")/_lib.sh"
start_xvfb 640x480
SAVER=$(install_saver)

# saver_up TIMEOUT_S: waits for the watch's saver, full-screen and flagged.
saver_up() {
  local id info
  id=$(wait_for_window TDesktopWindow "$1") || fail "no saver after the idle time: $(cat "$WORK/err")"
  info=$(xwininfo -id "$id")
  if ! grep -q 'Width: 640' <<<"$info" || ! grep -q 'Height: 480' <<<"$info" ||
    ! grep -q 'Map State: IsViewable' <<<"$info"; then
    fail "the saver is not full-screen: $info"
  fi
  [ "$(running_property)" = "= 1" ] || fail "the saver has no running flag"
}

# saver_ended_by_key: a key ends the run and the watch goes on.
saver_ended_by_key() {
  sleep 0.5
  xdotool key space
  for _ in $(seq 30); do
    xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1 || break
    sleep 0.1
  done
  no_saver_left
  kill -0 "$SAVER_PID" || fail "the watch ended with its saver: $(cat "$WORK/err")"
}

# no_saver_during WHAT SECONDS CMD...: runs CMD every half second for SECONDS; no saver shows.
no_saver_during() {
  local what=$1
  for _ in $(seq $(($2 * 2))); do
    "${@:3}"
    sleep 0.5
    if xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1; then fail "a saver $what"; fi
  done
}

xdotool mousemove 10 10
start_saver --idle 2
no_saver_during "while input came" 4 xdotool mousemove_relative -- 1 1
saver_up 4
saver_ended_by_key

# Another saver that comes up meanwhile takes the watch's turn: the watch starts none beside it,
# and waits for the next idle period without spinning.
"$SAVER" /s 2>"$WORK/other.err" &
other=$!
CLEANUP_PIDS+=("$other")
wait_for_window TDesktopWindow 5 >/dev/null || fail "the other saver did not start"
cpu_before=$(awk '{print $14 + $15}' "/proc/$SAVER_PID/stat")
sleep 4
cpu=$(($(awk '{print $14 + $15}' "/proc/$SAVER_PID/stat") - cpu_before))
[ "$cpu" -lt 40 ] || fail "the watch spun beside another saver ($cpu ticks in 4 s)"
[ "$(xdotool search --class '^TDesktopWindow$' | wc -l)" = 1 ] || fail "a saver beside another"
sleep 0.5
xdotool key space
wait_exit "$other" 5 || fail "a key did not end the other saver"
saver_up 4
saver_ended_by_key

no_saver_during "despite the heartbeat" 4 xset s reset

# The server's own saver is due after a second, but suspended it stays off: that is how the
# suspension shows to other clients. Its end restarts the server's idle time.
python3 -c '
import ctypes, ctypes.util, time
xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
xss = ctypes.CDLL(ctypes.util.find_library("Xss"))
xlib.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(xlib.XOpenDisplay(None))
xss.XScreenSaverSuspend(display, 1)
xlib.XFlush(display)
print("suspended", flush=True)
time.sleep(60)' >"$WORK/suspend.log" 2>&1 &
suspender=$!
CLEANUP_PIDS+=("$suspender")
# The heartbeat goes on while the player starts, which may take longer than the watch waits.
for _ in $(seq 50); do grep -q suspended "$WORK/suspend.log" && break; xset s reset; sleep 0.1; done
grep -q suspended "$WORK/suspend.log" || fail "no suspension: $(cat "$WORK/suspend.log")"
xset s 1
xset s reset
no_saver_during "while the server's saver was suspended" 4 true
kill "$suspender"
saver_up 5

kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 3 || fail "SIGTERM did not end the watch while its saver ran"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM: $(cat "$WORK/err")"
no_saver_left

start_saver --idle 60
sleep 1
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 2 || fail "SIGTERM did not end the waiting watch"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM: $(cat "$WORK/err")"
no_saver_left
echo "PASS"
