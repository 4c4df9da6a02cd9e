#!/usr/bin/env bash
# Nothing locks the user out: stepping as fast as it can with nothing to draw (no bug moves, so
# no picture is committed and no frame comes back), the saver still ends within a frame at a
# key, a click of the primary button and SIGTERM.
source "$(dirname "$0")/_lib.sh"
start_sway
write_settings '[Zarmok]' StepsPerSecond=0 Speed=0
coproc POINTER { as_user exec_user "$WORK/bin/client" pointer 1600 600; }
CLEANUP_PIDS+=("$POINTER_PID")
read -r -t 10 answer <&"${POINTER[0]}" && [ "$answer" = ready ] || fail "no virtual pointer"

# ends_within HOW: the saver, started and covering, ends with exit code 0 soon after HOW: a few
# milliseconds on an idle machine, 250 at most on a busy one.
ends_within() {
  start_saver /s
  wait_covered 10 HEADLESS-1 HEADLESS-2
  case $1 in
    key) press_key ;;
    click) echo click >&"${POINTER[1]}" && read -r -t 10 answer <&"${POINTER[0]}" ;;
    SIGTERM) kill -TERM "$SAVER_PID" ;;
  esac
  local done_at watchdog
  done_at=$(now_ms)
  # Waited for as its parent waits, to the millisecond; a saver that does not end is ended.
  { sleep 5 && kill -KILL "$SAVER_PID"; } 2>/dev/null &
  watchdog=$!
  EXIT_CODE=0
  wait "$SAVER_PID" || EXIT_CODE=$?
  local took=$(($(now_ms) - done_at))
  kill "$watchdog" 2>/dev/null || true
  [ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE after a $1"
  echo "a $1 ended the saver within $took ms"
  [ $took -le 250 ] || fail "a $1 ended the saver only after $took ms"
}

ends_within key
ends_within click
ends_within SIGTERM
echo "PASS"
