#!/usr/bin/env bash
# "zarmok /c" and one Enter: the settings file gets the 13 keys with their defaults in table
# order, and the other sections of a file that was already there stay as they were.
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

# run_dialog ARG: runs the dialog, presses Enter once, and expects it to close with code 0.
run_dialog() {
  "$work/zarmok" "$1" 2>"$work/stderr" &
  app_pid=$!
  for _ in $(seq 100); do
    xdotool search --class '^TBugsPramSet$' >/dev/null 2>&1 && break
    kill -0 "$app_pid" 2>/dev/null || fail "zarmok $1 ended early: $(cat "$work/stderr")"
    sleep 0.05
  done
  xdotool search --class '^TBugsPramSet$' >/dev/null 2>&1 || fail "the settings dialog did not open"
  # Keys go to the window under the pointer when no window manager runs.
  xdotool mousemove 460 250 key Return
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$app_pid" 2>/dev/null && fail "Enter did not close the dialog"
  local code=0
  wait "$app_pid" || code=$?
  app_pid=
  [ "$code" -eq 0 ] || fail "zarmok $1 exit code $code: $(cat "$work/stderr")"
}

# The Zarmok section's key lines, in file order.
section() { awk '/^\[/ { inside = (tolower($0) == "[zarmok]"); next } inside && /=/' "$ini"; }

expected='BugsType=0
Speed=10
BugPtnSize=12
BugPtnExCyc=2
MaxBugs=3
BugSize=12
ImageListLen=6
SunG=1
BugG=1
WallG=1
StopOnKey=1
StopOnMouseMove=1
StopOnMouseClick=1'

# No file: all 13 defaults in table order.
run_dialog /c
[ "$(section)" = "$expected" ] || fail "a new file holds: $(cat "$ini")"

# A file with other sections only: they stay as they were, in their places.
other=$(printf '%s\n' '; kept as written' '[Other]' 'Speed=99' 'Name=値' '' '[Last]' 'x=1')
printf '%s\n' "$other" >"$ini"
run_dialog -c
[ "$(section)" = "$expected" ] || fail "the section holds: $(cat "$ini")"
[ "$(head -n 7 "$ini")" = "$other" ] || fail "the other sections changed: $(cat "$ini")"

# A key already in the section keeps its line and its value; the rest are added.
printf '%s\n' '[Other]' 'a=1' '[zarmok]' 'maxbugs=7' '[Last]' 'x=1' >"$ini"
run_dialog /c
[ "$(section | sort -f)" = "$(echo "${expected/MaxBugs=3/maxbugs=7}" | sort -f)" ] ||
  [ "$(section | sort -f)" = "$(echo "${expected/MaxBugs=3/MaxBugs=7}" | sort -f)" ] ||
  fail "the section holds: $(cat "$ini")"
order=$(grep -n -i -e '^\[Other\]' -e '^\[zarmok\]' -e '^\[Last\]' "$ini" | cut -d: -f2 | tr '\n' ' ')
[ "$order" = "[Other] [zarmok] [Last] " ] || fail "sections moved: $order"
echo "dialog_ok_defaults: ok"
