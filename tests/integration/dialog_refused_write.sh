#!/usr/bin/env bash
# A settings file that cannot be written: OK shows the application's error box titled
# "Zarmok" with the message and a ".", the dialog stays open, and Escape then closes it.
source "$(dirname "$0")/_lib.sh"
start_xvfb
saver=$(install_saver)
# A folder where the file should be: no write can replace it, whoever runs the test.
mkdir -p "$(settings_file)"

"$saver" /c 2>"$WORK/stderr" &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TBugsPramSet >/dev/null || fail "no dialog: $(cat "$WORK/stderr")"
# Keys go to the window under the pointer when no window manager runs.
xdotool mousemove 460 250 key Return

box=
for _ in $(seq 100); do
  box=$(xdotool search --onlyvisible --class '^TErrorBox$' 2>/dev/null | head -n1 || true)
  [ -n "$box" ] && break
  sleep 0.05
done
[ -n "$box" ] || fail "no error box (TErrorBox) appeared"
kill -0 "$pid" 2>/dev/null || fail "the refused write closed the dialog"
eval "$(xdotool getwindowgeometry --shell "$box")"

# Enter over the box dismisses it; the dialog is still there, and Escape cancels it.
xdotool mousemove $((X + WIDTH / 2)) $((Y + 5)) key Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --class '^TErrorBox$' >/dev/null 2>&1 || break
  sleep 0.05
done
xdotool search --onlyvisible --class '^TErrorBox$' >/dev/null 2>&1 && fail "Enter did not close the error box"
kill -0 "$pid" 2>/dev/null || fail "the dialog closed with the error box"
xdotool mousemove 460 250 key Escape
wait_exit "$pid" 5 || fail "Escape did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$WORK/stderr")"
[ -d "$(settings_file)" ] && [ -z "$(ls -A "$(settings_file)")" ] || fail "the folder changed"
echo "dialog_refused_write: ok"
