#!/usr/bin/env bash
# "zarmok /c" and one Enter: the per-user settings file (made with its folder) gets the 13 keys with their defaults in table
# order, and the other sections of a file that was already there stay as they were.
source "$(dirname "$0")/_lib.sh"
start_xvfb
saver=$(install_saver)
ini=$(settings_file)

# run_dialog ARG: opens the dialog, presses Enter once, and expects it to close with code 0.
run_dialog() {
  "$saver" "$1" 2>"$WORK/stderr" &
  local pid=$!
  CLEANUP_PIDS+=("$pid")
  wait_for_window TBugsPramSet >/dev/null || fail "zarmok $1: no dialog: $(cat "$WORK/stderr")"
  # Keys go to the window under the pointer when no window manager runs.
  xdotool mousemove 460 250 key Return
  wait_exit "$pid" 5 || fail "zarmok $1: Enter did not close the dialog"
  [ "$EXIT_CODE" = 0 ] || fail "zarmok $1: exit code $EXIT_CODE: $(cat "$WORK/stderr")"
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
# The first save made the user's own folder and file, private to the user.
[ "$(stat -c %a "$(dirname "$ini")")" = 700 ] || fail "folder mode $(stat -c %a "$(dirname "$ini")")"
[ "$(stat -c %a "$ini")" = 600 ] || fail "file mode $(stat -c %a "$ini")"
[ -z "$(find "$WORK" -name 'zarmok*.ini' ! -path "$ini")" ] || fail "another settings file appeared"

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
