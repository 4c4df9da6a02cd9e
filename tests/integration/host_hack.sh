#!/usr/bin/env bash
# zarmok-hack as a host runs it: the window id of -window-id or XSCREENSAVER_WINDOW, in each
# form, reaches the zarmok beside it as the preview's pane handle; bad ids are refused before
# anything starts. Then for real: inside another program's window the saver draws, holds
# neither the keyboard nor the pointer, and ends on SIGTERM with exit code 0 and no flag left.
source "$(dirname "$0")/_lib.sh"
HACK=${ZARMOK_HACK_PATH:-}
[ -x "$HACK" ] || fail "ZARMOK_HACK_PATH does not name the built zarmok-hack"

# A stand-in zarmok that writes the arguments it was started with, one a line.
mkdir -p "$WORK/fake" "$WORK/elsewhere"
cp "$HACK" "$WORK/fake/zarmok-hack"
cat >"$WORK/fake/zarmok" <<SH
#!/bin/sh
printf '%s\n' "\$@" >"$WORK/started"
SH
chmod 755 "$WORK/fake/zarmok"
# Started through a link in another folder, it still finds the zarmok beside its own file.
ln -s "$WORK/fake/zarmok-hack" "$WORK/elsewhere/zarmok-hack"

# expect_start WANTED VARIABLE ARGS...: VARIABLE is XSCREENSAVER_WINDOW's value, or "-" for unset.
expect_start() {
  local wanted=$1 variable=$2 got
  shift 2
  rm -f "$WORK/started"
  if [ "$variable" = - ]; then
    env -u XSCREENSAVER_WINDOW "$WORK/elsewhere/zarmok-hack" "$@" || fail "refused $*"
  else
    XSCREENSAVER_WINDOW=$variable "$WORK/elsewhere/zarmok-hack" "$@" || fail "refused $variable $*"
  fi
  got=$(tr '\n' ' ' <"$WORK/started")
  [ "$got" = "$wanted " ] || fail "XSCREENSAVER_WINDOW=$variable $*: started '$got', wanted '$wanted'"
}
expect_start '/p $600008' 0x600008
expect_start '/p $600008' 0X600008 -root
expect_start '/p $600008' - -window-id 6291464
expect_start '/p $ABCDEF' 0x1 -window-id 0xabcdef
expect_start '/p $80000000' - --window-id 2147483648
expect_start '/s' -
expect_start '/s' - -root

# expect_refused VARIABLE TEXT ARGS...: exit code 2, TEXT in the message, nothing started.
expect_refused() {
  local variable=$1 text=$2 code=0
  shift 2
  rm -f "$WORK/started"
  if [ "$variable" = - ]; then
    env -u XSCREENSAVER_WINDOW "$WORK/fake/zarmok-hack" "$@" 2>"$WORK/refusal" || code=$?
  else
    XSCREENSAVER_WINDOW=$variable "$WORK/fake/zarmok-hack" "$@" 2>"$WORK/refusal" || code=$?
  fi
  [ "$code" = 2 ] || fail "'$variable' $*: exit code $code, wanted 2"
  grep -qF -- "$text" "$WORK/refusal" || fail "'$variable' $*: message $(cat "$WORK/refusal")"
  [ ! -e "$WORK/started" ] || fail "'$variable' $*: the saver was started"
}
expect_refused '0x60000g' "XSCREENSAVER_WINDOW '0x60000g' is not a window id"
expect_refused '' "XSCREENSAVER_WINDOW '' is not a window id"
expect_refused '0x600008 ' "is not a window id"
expect_refused '0x100000000' "is not a window id"
expect_refused - "-window-id '-5' is not a window id" -window-id -5
expect_refused 0x600008 "-window-id '0' is not a window id" -window-id 0
expect_refused - "needs a window id" -window-id
expect_refused 0x600008 "unknown argument '-fps'" -fps

# Without its zarmok it says so and ends as a shell does for a missing command.
rm "$WORK/fake/zarmok"
code=0
XSCREENSAVER_WINDOW=0x600008 "$WORK/fake/zarmok-hack" 2>"$WORK/refusal" || code=$?
[ "$code" = 127 ] || fail "exit code $code without zarmok"
grep -q "cannot run $WORK/fake/zarmok" "$WORK/refusal" || fail "message $(cat "$WORK/refusal")"

# For real, inside another program's window.
start_xvfb 800x600
SAVER=$(install_saver)
cp "$HACK" "$WORK/bin/zarmok-hack"
xmessage -geometry 400x300+50+50 "host" &
CLEANUP_PIDS+=($!)
host=$(wait_for_window Xmessage 10) || fail "no host window"
XSCREENSAVER_WINDOW=$(printf '0x%x' "$host") "$WORK/bin/zarmok-hack" 2>"$WORK/err" &
SAVER_PID=$!
CLEANUP_PIDS+=("$SAVER_PID")
saver=$(wait_for_window TDesktopWindow 10) || fail "no saver window: $(cat "$WORK/err")"
parent=$(xwininfo -id "$saver" -tree | awk '/Parent window id:/ {print $4}')
[ "$((parent))" = "$host" ] || fail "the saver's parent is $parent, not the host's window $host"
sleep 1.5
for _ in 1 2 3; do
  grabs=$(python3 "$(dirname "$0")/_grab_check.py")
  [ "$grabs" = "keyboard=0 pointer=0" ] || fail "another client could not grab: $grabs"
  sleep 0.3
done
import -window root "$WORK/shot.png"
read -r coloured _ < <(pixel_stats "$WORK/shot.png" 400x300+50+50)
[ "$coloured" -gt 20 ] || fail "nothing drawn in the host's window ($coloured coloured pixels)"
[ "$(running_property)" = "= 1" ] || fail "the running flag is not set"
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 3 || fail "SIGTERM did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM: $(cat "$WORK/err")"
no_saver_left
xwininfo -id "$host" >/dev/null 2>&1 || fail "the host's window went with the saver"
echo "PASS"
