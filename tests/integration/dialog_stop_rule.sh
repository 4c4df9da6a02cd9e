#!/usr/bin/env bash
# A file with no stop condition set: the first Enter checks the key box and writes nothing,
# the second saves with the key box on and closes the dialog.
source "$(dirname "$0")/_lib.sh"
start_xvfb
saver=$(install_saver)
ini=$(settings_file)
write_settings '[Zarmok]' 'StopOnKey=0' 'StopOnMouseMove=0' 'StopOnMouseClick=0' 'Speed=20'
cp "$ini" "$WORK/before.ini"
touch -d '2001-01-01' "$ini"
stamp=$(stat -c %Y "$ini")

"$saver" /c 2>"$WORK/stderr" &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TBugsPramSet >/dev/null || fail "no dialog: $(cat "$WORK/stderr")"

# Keys go to the window under the pointer when no window manager runs.
xdotool mousemove 460 250 key Return
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the first Enter closed the dialog"
cmp -s "$ini" "$WORK/before.ini" || fail "the first Enter wrote: $(cat "$ini")"
[ "$(stat -c %Y "$ini")" = "$stamp" ] || fail "the first Enter touched the file"

xdotool key Return
wait_exit "$pid" 5 || fail "the second Enter did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$WORK/stderr")"

value() { awk -F= -v k="$1" 'tolower($1) == tolower(k) { print $2 }' "$ini"; }
[ "$(value StopOnKey)" = 1 ] || fail "StopOnKey: $(cat "$ini")"
[ "$(value StopOnMouseMove)" = 0 ] || fail "StopOnMouseMove: $(cat "$ini")"
[ "$(value StopOnMouseClick)" = 0 ] || fail "StopOnMouseClick: $(cat "$ini")"
# Speed 20 showed at the bar's fast end, which stands for 14.
[ "$(value Speed)" = 14 ] || fail "Speed: $(cat "$ini")"
[ "$(grep -c = "$ini")" -eq 13 ] || fail "not 13 keys: $(cat "$ini")"
echo "dialog_stop_rule: ok"
