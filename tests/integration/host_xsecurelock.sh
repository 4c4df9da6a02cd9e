#!/usr/bin/env bash
# xsecurelock as the host: XSECURELOCK_SAVER=zarmok-hack. The locker holds the keyboard and the
# pointer; the saver draws inside the window xsecurelock names in XSCREENSAVER_WINDOW, and the
# locker's SIGTERM ends it leaving no saver window and no running flag.
source "$(dirname "$0")/_lib.sh"
command -v xsecurelock >/dev/null || fail "xsecurelock is not installed"
[ -x "${ZARMOK_HACK_PATH:-}" ] || fail "ZARMOK_HACK_PATH does not name the built zarmok-hack"
start_xvfb 800x600
SAVER=$(install_saver)
cp "$ZARMOK_HACK_PATH" "$WORK/bin/zarmok-hack"

chmod 755 "$WORK" "$WORK/bin"
[ "$(id -u)" = 0 ] && chown -R 65534:65534 "$HOME"

# In a subshell that becomes the locker, so its id is the locker's.
(
  export XSECURELOCK_SAVER="$WORK/bin/zarmok-hack" XSECURELOCK_NO_COMPOSITE=1
  as_user exec_user xsecurelock
) >"$WORK/host.log" 2>&1 &
LOCKER_PID=$!
CLEANUP_PIDS+=("$LOCKER_PID")
saver=$(wait_for_window TDesktopWindow 10) || fail "no saver window: $(cat "$WORK/host.log")"
pgrep -f -x "$WORK/bin/zarmok /p \\\$[0-9A-F]+" >/dev/null ||
  fail "zarmok was not started in preview mode: $(pgrep -a zarmok)"
parent=$(xwininfo -id "$saver" -tree | awk '/Parent window id:/ {print $4}')
root=$(xwininfo -root | awk '/Window id:/ {print $4; exit}')
[ "$((parent))" != "$((root))" ] || fail "the saver made its own top-level window"
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"
sleep 2
import -window root "$WORK/shot.png"
read -r coloured _ < <(pixel_stats "$WORK/shot.png")
[ "$coloured" -gt 20 ] || fail "nothing drawn ($coloured coloured pixels)"

# The locker's helpers (its process-group placeholder outlives a SIGTERM) go with the test.
CLEANUP_PIDS+=($(pgrep -P "$LOCKER_PID" || true))
kill -TERM "$LOCKER_PID"
wait_exit "$LOCKER_PID" 5 || fail "xsecurelock did not end on SIGTERM"
for _ in $(seq 60); do
  pgrep -f "$WORK/bin/zarmok /p" >/dev/null || break
  sleep 0.05
done
if pgrep -f "$WORK/bin/zarmok /p" >/dev/null; then ps -eo pid,ppid,stat,args | grep -E "xsecure|zarmok|saver_" | grep -v grep >&2; fail "the saver outlived xsecurelock"; fi
no_saver_left
echo "PASS"
