#!/usr/bin/env bash
# While a full-screen saver runs, every new start ("/c", "/s", "/a", "/p") ends at once with
# exit code 0; a running preview, being a child window, does not stop a full-screen start.
source "$(dirname "$0")/_lib.sh"
start_xvfb 640x480
SAVER=$(install_saver)

# wait_fullscreen TIMEOUT_S: waits for a TDesktopWindow shown among the root's children, a
# full-screen saver's; a preview's window is inside its pane and does not count.
wait_fullscreen() {
  local deadline=$((SECONDS + $1))
  until xdotool search --onlyvisible --maxdepth 1 --class '^TDesktopWindow$' >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

start_saver /s
first=$SAVER_PID
wait_fullscreen 10 || fail "the first saver did not appear"
for args in "/c" "/s" "/a" "/p 1234" "-x"; do
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  timeout 5 "$SAVER" $args 2>"$WORK/second.err" && code=0 || code=$?
  took=$(( ($(date +%s%N) - start) / 1000000 ))
  [ "$code" = 0 ] || fail "second start '$args' ended with $code: $(cat "$WORK/second.err")"
  [ "$took" -lt 2000 ] || fail "second start '$args' took $took ms"
  [ ! -s "$WORK/second.err" ] || fail "second start '$args' said: $(cat "$WORK/second.err")"
done
kill -0 "$first" || fail "the first saver is gone"
[ "$(xdotool search --class '^TDesktopWindow$' | wc -l)" = 1 ] || fail "more than one saver window"
xdotool key Escape
wait_exit "$first" 5 || fail "the first saver did not end"
[ "$EXIT_CODE" = 0 ] || fail "first saver exit $EXIT_CODE"
no_saver_left

# A preview in a pane does not count as a running saver.
xmessage -geometry 200x150+0+0 pane &
pane_pid=$!
CLEANUP_PIDS+=("$pane_pid")
pane=$(wait_for_window Xmessage 5) || fail "no pane"
start_saver /p "$pane"
preview=$SAVER_PID
sleep 1
kill -0 "$preview" || fail "the preview did not start: $(cat "$WORK/err")"
start_saver /s
wait_fullscreen 5 || fail "no full-screen saver beside the preview: $(cat "$WORK/err")"
sleep 1
kill -0 "$SAVER_PID" || fail "a full-screen start beside a preview ended: $(cat "$WORK/err")"
xdotool key a
wait_exit "$SAVER_PID" 5 || fail "full-screen saver did not end"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE"
kill "$pane_pid"
wait_exit "$preview" 5 || fail "preview did not end with its pane"
[ "$EXIT_CODE" = 0 ] || fail "preview exit $EXIT_CODE"
echo "PASS"
