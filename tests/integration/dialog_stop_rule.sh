#!/usr/bin/env bash
# A file with no stop condition set: the first Enter checks the key box and writes nothing,
# the second saves with the key box on and closes the dialog.
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
ini="$work/zarmok.ini"
printf '%s\n' '[Zarmok]' 'StopOnKey=0' 'StopOnMouseMove=0' 'StopOnMouseClick=0' 'Speed=20' >"$ini"
cp "$ini" "$work/before.ini"
touch -d '2001-01-01' "$ini"
stamp=$(stat -c %Y "$ini")

"$work/zarmok" /c 2>"$work/stderr" &
app_pid=$!
for _ in $(seq 100); do
  xdotool search --class '^TBugsPramSet$' >/dev/null 2>&1 && break
  kill -0 "$app_pid" 2>/dev/null || fail "zarmok /c ended early: $(cat "$work/stderr")"
  sleep 0.05
done
xdotool search --class '^TBugsPramSet$' >/dev/null 2>&1 || fail "the settings dialog did not open"

# Keys go to the window under the pointer when no window manager runs.
xdotool mousemove 460 250 key Return
sleep 0.5
kill -0 "$app_pid" 2>/dev/null || fail "the first Enter closed the dialog"
cmp -s "$ini" "$work/before.ini" || fail "the first Enter wrote: $(cat "$ini")"
[ "$(stat -c %Y "$ini")" = "$stamp" ] || fail "the first Enter touched the file"

xdotool key Return
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$app_pid" 2>/dev/null && fail "the second Enter did not close the dialog"
code=0
wait "$app_pid" || code=$?
app_pid=
[ "$code" -eq 0 ] || fail "exit code $code: $(cat "$work/stderr")"

value() { awk -F= -v k="$1" 'tolower($1) == tolower(k) { print $2 }' "$ini"; }
[ "$(value StopOnKey)" = 1 ] || fail "StopOnKey: $(cat "$ini")"
[ "$(value StopOnMouseMove)" = 0 ] || fail "StopOnMouseMove: $(cat "$ini")"
[ "$(value StopOnMouseClick)" = 0 ] || fail "StopOnMouseClick: $(cat "$ini")"
# Speed 20 showed at the bar's fast end, which stands for 14.
[ "$(value Speed)" = 14 ] || fail "Speed: $(cat "$ini")"
[ "$(grep -c = "$ini")" -eq 13 ] || fail "not 13 keys: $(cat "$ini")"
echo "dialog_stop_rule: ok"
