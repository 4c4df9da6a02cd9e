#!/usr/bin/env bash
# A settings file that cannot be written: OK shows the application's error box titled
# "Zarmok" with the message and a ".", the dialog stays open, and Escape then closes it.
set -euo pipefail

zarmok=${ZARMOK_PATH:?ZARMOK_PATH must name the built zarmok program}
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

cp "$zarmok" "$work/zarmok"
# A folder where the file should be: no write can replace it, whoever runs the test.
mkdir "$work/zarmok.ini"

"$work/zarmok" /c 2>"$work/stderr" &
app_pid=$!
dialog=
for _ in $(seq 100); do
  dialog=$(xdotool search --class '^TBugsPramSet$' 2>/dev/null | head -n1 || true)
  [ -n "$dialog" ] && break
  kill -0 "$app_pid" 2>/dev/null || fail "zarmok /c ended early: $(cat "$work/stderr")"
  sleep 0.05
done
[ -n "$dialog" ] || fail "the settings dialog did not open"
# Keys go to the window under the pointer when no window manager runs.
xdotool mousemove 460 250
xdotool key Return

box=
for _ in $(seq 100); do
  box=$(xdotool search --onlyvisible --name '^Zarmok$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ] && break
  sleep 0.05
done
[ -n "$box" ] || fail "no error box titled Zarmok appeared"
kill -0 "$app_pid" 2>/dev/null || fail "the refused write closed the dialog"
eval "$(xdotool getwindowgeometry --shell "$box")"
[ "$WIDTH" -gt 0 ] && [ "$HEIGHT" -gt 0 ] || fail "error box geometry"

# Dismiss the box with Enter over it; the dialog is still there and Escape cancels it.
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5))
xdotool key Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Zarmok$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --name '^Zarmok$' >/dev/null 2>&1 && fail "Enter did not close the error box"
kill -0 "$app_pid" 2>/dev/null || fail "the dialog closed with the error box"
xdotool mousemove 460 250
xdotool key Escape
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$app_pid" 2>/dev/null && fail "Escape did not close the dialog"
code=0
wait "$app_pid" || code=$?
app_pid=
[ "$code" -eq 0 ] || fail "exit code $code: $(cat "$work/stderr")"
[ -d "$work/zarmok.ini" ] && [ -z "$(ls -A "$work/zarmok.ini")" ] || fail "the folder changed"
echo "dialog_refused_write: ok"
