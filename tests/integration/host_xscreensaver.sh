#!/usr/bin/env bash
# XScreenSaver 6 as the host: a "programs:" line naming zarmok-hack, activated with
# xscreensaver-command. The saver draws inside XScreenSaver's window, and when XScreenSaver
# lets go (its SIGTERM to the hack) no saver window and no running flag are left.
source "$(dirname "$0")/_lib.sh"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"
[ -x "${ZARMOK_HACK_PATH:-}" ] || fail "ZARMOK_HACK_PATH does not name the built zarmok-hack"
start_xvfb 800x600
SAVER=$(install_saver)
cp "$ZARMOK_HACK_PATH" "$WORK/bin/zarmok-hack"

chmod 755 "$WORK" "$WORK/bin"
cat >"$HOME/.xscreensaver" <<CONF
mode: one
selected: 0
timeout: 1:00:00
lock: False
splash: False
fade: False
unfade: False
programs: "Zarmok" $WORK/bin/zarmok-hack \n
CONF
[ "$(id -u)" = 0 ] && chown -R 65534:65534 "$HOME"

# In a subshell that becomes the daemon, so the clean-up ends the daemon itself.
(as_user exec_user xscreensaver -no-splash -verbose) >"$WORK/host.log" 2>&1 &
CLEANUP_PIDS+=($!)
for _ in $(seq 100); do
  as_user xscreensaver-command -time >/dev/null 2>&1 && break
  sleep 0.1
done
as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "activate refused: $(cat "$WORK/host.log")"

saver=$(wait_for_window TDesktopWindow 10) || fail "no saver window: $(cat "$WORK/host.log")"
pgrep -f -x "$WORK/bin/zarmok /p \\\$[0-9A-F]+" >/dev/null ||
  fail "zarmok was not started in preview mode: $(pgrep -a zarmok)"
parent=$(xwininfo -id "$saver" -tree | awk '/Parent window id:/ {print $4}')
xprop -id "$parent" WM_CLASS 2>/dev/null | grep -q '"XScreenSaver"' ||
  fail "the saver's parent $parent is not XScreenSaver's window"
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"
sleep 2
import -window root "$WORK/shot.png"
read -r coloured _ < <(pixel_stats "$WORK/shot.png")
[ "$coloured" -gt 20 ] || fail "nothing drawn ($coloured coloured pixels)"

as_user xscreensaver-command -deactivate >/dev/null 2>&1 || fail "deactivate refused"
for _ in $(seq 60); do
  pgrep -f "$WORK/bin/zarmok /p" >/dev/null || break
  # A saver that ended but was not collected yet is done too.
  [ "$(ps -o stat= -p "$(pgrep -f "$WORK/bin/zarmok /p" | head -n1)" 2>/dev/null)" = Z ] && break
  sleep 0.05
done
sleep 0.3
no_saver_left
grep -q 'killing pid' "$WORK/host.log" || fail "XScreenSaver did not end the hack itself"
echo "PASS"
