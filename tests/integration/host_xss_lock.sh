#!/usr/bin/env bash
# xss-lock as the host: `xss-lock -- zarmok /s` with the X server's own idle timer. When the
# server goes idle, and when the login manager asks the session to lock, xss-lock starts the
# saver full-screen; a key ends it, leaving no window and no flag, and xss-lock stays to start
# it again; xss-lock's SIGTERM ends a running saver with it. xss-lock needs a login manager on
# the system bus: a private bus carries a scripted one with the test's session.
source "$(dirname "$0")/_lib.sh"
command -v xss-lock >/dev/null || fail "xss-lock is not installed"
command -v dbus-daemon >/dev/null || fail "dbus-daemon is not installed"
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || fail "python3-dbusmock is not installed"
start_xvfb 800x600
SAVER=$(install_saver)

dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" 2>"$WORK/bus.log" &
CLEANUP_PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/bus" ] && break; sleep 0.05; done
[ -s "$WORK/bus" ] || fail "no private bus: $(cat "$WORK/bus.log")"
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$WORK/bus")
/usr/bin/python3 -m dbusmock --system --template logind >"$WORK/logind.log" 2>&1 &
CLEANUP_PIDS+=($!)
login1() {
  gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" -d org.freedesktop.login1 "$@" >/dev/null
}
for _ in $(seq 100); do login1 -o /org/freedesktop/login1 -m org.freedesktop.DBus.Mock.AddSession \
  c1 seat0 "$(id -u)" "$(id -un)" true 2>/dev/null && break; sleep 0.1; done
login1 -o /org/freedesktop/login1 -m org.freedesktop.DBus.Mock.AddMethod \
  org.freedesktop.login1.Manager GetSessionByPID u o 'ret = "/org/freedesktop/login1/session/c1"' ||
  fail "the scripted login manager did not start: $(cat "$WORK/logind.log")"

# saver_shows WHAT: the saver is up, flagged, and its drawing is on the screen. The window
# itself is not looked up: while the server's screen saver is on, a query of the root window's
# children answers with the saver window xss-lock registered (a pixel off the screen) alone.
saver_shows() {
  for _ in $(seq 100); do [ "$(running_property)" = "= 1" ] && break; sleep 0.1; done
  [ "$(running_property)" = "= 1" ] || fail "$1: the saver did not start: $(cat "$WORK/host.log")"
  sleep 1
  import -window root "$WORK/shot.png"
  read -r coloured _ < <(pixel_stats "$WORK/shot.png")
  [ "$coloured" -gt 20 ] || fail "$1: nothing drawn ($coloured coloured pixels)"
  if [ -n "${ZARMOK_SHOT_DIR:-}" ]; then cp "$WORK/shot.png" "$ZARMOK_SHOT_DIR/xss-lock-$2.png"; fi
}
# saver_gone WHAT: within a few seconds no saver process, window or flag is left.
saver_gone() {
  for _ in $(seq 100); do pgrep -f -x "$SAVER /s" >/dev/null || break; sleep 0.05; done
  pgrep -f -x "$SAVER /s" >/dev/null && fail "$1: the saver is still running"
  no_saver_left
}

# The idle time counts from now, not from the server's start.
xset s 2 0 s reset
xss-lock -v -- "$SAVER" /s >"$WORK/host.log" 2>&1 &
XSS_PID=$!
CLEANUP_PIDS+=("$XSS_PID")
saver_shows "idle" idle
grep -q 'LockedHint": True' "$WORK/logind.log" || fail "xss-lock did not tell the session it is locked"
xdotool key a
saver_gone "after a key"
kill -0 "$XSS_PID" 2>/dev/null || fail "xss-lock ended with the saver: $(cat "$WORK/host.log")"

# The login manager's lock request starts the saver at once, idle timer or not.
xset s 0 0
login1 -o /org/freedesktop/login1/session/c1 -m org.freedesktop.login1.Session.Lock
saver_shows "lock request" lock
kill -TERM "$XSS_PID"
wait_exit "$XSS_PID" 5 || fail "xss-lock did not end on SIGTERM"
saver_gone "after xss-lock's SIGTERM"
echo "PASS"
