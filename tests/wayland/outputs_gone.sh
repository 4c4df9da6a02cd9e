#!/usr/bin/env bash
# Every output gone and back (a lid closed, a monitor asleep that disconnects), on a nested sway
# whose outputs really go when their windows close. The full-screen saver keeps running without
# a word, covers the output that comes within a second, and ends only at the user's key, with
# exit code 0; the background does the same and ends at SIGTERM; the idle watch whose moment
# comes with no output waits for one.
source "$(dirname "$0")/_lib.sh"
start_sway
start_nested_sway
write_settings '[Zarmok]'

# come_back WHAT: the outputs go, one comes, and the saver covers it within a second.
come_back() {
  lose_outputs
  local started
  started=$(now_ms)
  add_output
  wait_covered 5 "$OUTPUT"
  local took=$(($(now_ms) - started))
  echo "$1: $OUTPUT covered $took ms after it came"
  [ $took -le 1000 ] || fail "$1: $OUTPUT covered only after $took ms"
  kill -0 "$SAVER_PID" 2>/dev/null || fail "$1 ended when the outputs went"
}

start_saver /s
wait_covered 10 "$(outputs)"
come_back "the full-screen saver"
press_key
wait_exit "$SAVER_PID" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a key"
[ ! -s "$WORK/err" ] || fail "the saver said something"

start_saver --wallpaper
wait_covered 10 "$OUTPUT"
come_back "the background"
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 5 || fail "SIGTERM did not end the background"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"

lose_outputs
start_saver --idle 1
for i in $(seq 100); do saver_running && break; sleep 0.05; done
saver_running || fail "the idle watch started no run"
add_output
wait_covered 5 "$OUTPUT"
echo "the idle watch: its run without an output covered $OUTPUT when it came"
press_key
wait_uncovered 5 "$OUTPUT"
kill -TERM "$SAVER_PID"
wait_exit "$SAVER_PID" 5 || fail "SIGTERM did not end the watch"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after SIGTERM"
[ ! -s "$WORK/err" ] || fail "the watch said something"
echo "PASS"
