#!/usr/bin/env bash
# The settings file is the one beside the program's long path, even when the program is started
# by its 8.3 short path (as Windows may start a saver) and its folder has characters outside
# the ANSI code page (1252 in this prefix). The file sets a pace of 20 steps per second, which
# the loop's measurements show; the default is 60.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
folder="Long Folder ザルモク $$"
install_saver "$folder" "zarmok saver.scr"
printf '[Zarmok]\r\nStepsPerSecond=20\r\nMaxBugs=2\r\n' >"$(ini_file)"
short=$(probe short "$SCR_WIN") || fail "no short path for $SCR_WIN"
[ "$short" != "$SCR_WIN" ] && [[ "$short" == *"~"* ]] || fail "the short path is $short"

# pace_of PATH: the steps per second of a 3 s run started as PATH.
pace_of() {
  SCR_WIN=$1 ZARMOK_STATS=1 start_saver /s
  wait_active "$(wait_saver_window)"
  sleep 3
  xdotool key space
  wait_exit "$SAVER_PID" 10 || fail "the saver started as $1 did not end"
  loop_pace | cut -d. -f1
}

for start in "$short" "C:\\$folder\\zarmok saver.scr"; do
  pace=$(pace_of "$start")
  [ -n "$pace" ] && [ "$pace" -ge 17 ] && [ "$pace" -le 21 ] ||
    fail "started as $start the saver ran ${pace:-no} steps/s, not the file's 20"
done
[ ! -e "$SCR_DIR/ZARMOK~1.SCR.ini" ] || fail "a settings file was made beside the short name"
echo "ok"
