#!/usr/bin/env bash
# swayidle starts the saver as README says (`swayidle timeout SECONDS 'zarmok /s'`), and a key
# ends it every time, however often swayidle starts it. Keys came earlier from other virtual
# keyboards, as on a desktop in use: each such keyboard comes and goes with its key, and the
# seat offers a keyboard only while one exists, so the saver must take whichever keyboard the
# seat offers whenever it appears.
source "$(dirname "$0")/_lib.sh"
start_sway
write_settings '[Zarmok]'
press_key
press_key
as_user exec_user swayidle timeout 1 "$SAVER /s" >"$WORK/swayidle.log" 2>&1 &
CLEANUP_PIDS+=($!)
for round in 1 2 3; do
  wait_covered 10 HEADLESS-1 HEADLESS-2
  saver=$(running_saver)
  [ -n "$saver" ] || fail "round $round: the saver swayidle started holds no running flag"
  press_key
  wait_uncovered 5 HEADLESS-1 HEADLESS-2
  # A second after the key swayidle starts the next one: the one that had the key must be gone.
  for i in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$saver" 2>/dev/null && fail "round $round: the saver outlived its key"
  echo "round $round: started by swayidle, ended by a key"
done
echo "PASS"
