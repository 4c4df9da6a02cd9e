#!/usr/bin/env bash
# The settings file of a saver installed where the user may not write (the system folder,
# Program Files): the saver and the dialog both take %APPDATA%\Zarmok\<program file name>.ini,
# whose folder the dialog's first save makes and a run of the saver never does; a settings file
# that is already beside the program stays the one used. Wine writes wherever the Unix user may,
# and as root that is everywhere: the saver's folder is made immutable (chattr +i), which no one
# may add a file to, root included; an ordinary user's run takes away its write permission.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
[ -n "$appdata" ] && [[ "$appdata" != *%* ]] || fail "no %APPDATA%: $appdata"
user_folder=$(winepath -u "$appdata\\Zarmok" 2>/dev/null)
[ -n "$user_folder" ] && [ ! -e "$user_folder" ] || fail "the user's folder $user_folder is already there"
on_exit "rm -rf '$user_folder'"
user_ini="$user_folder/zarmok.scr.ini"

# freeze / thaw: the saver's folder as one the user may not write, and back.
freeze() {
  if [ "$(id -u)" = 0 ]; then
    chattr +i "$SCR_DIR" || fail "this file system cannot make the saver's folder immutable"
  else
    chmod a-w "$SCR_DIR"
  fi
}
thaw() { if [ "$(id -u)" = 0 ]; then chattr -i "$SCR_DIR"; else chmod u+w "$SCR_DIR"; fi; }
on_exit thaw

# pace_of_run: the steps per second of a 3 s full-screen run.
pace_of_run() {
  ZARMOK_STATS=1 start_saver /s
  wait_saver_window >/dev/null
  sleep 3
  xdotool key space
  wait_exit "$SAVER_PID" 10 || fail "the saver did not end"
  loop_pace | cut -d. -f1
}

freeze
! touch "$SCR_DIR/trial" 2>/dev/null || fail "the saver's folder can still be written"
pace_of_run >/dev/null
[ ! -e "$user_folder" ] || fail "a run of the saver made $user_folder"

start_saver /c
probe wait TBugsPramSet 20 >/dev/null || fail "no settings dialog"
sleep 1
xdotool key Return
wait_exit "$SAVER_PID" 10 || fail "Enter did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the dialog's save"
[ -f "$user_ini" ] || fail "the dialog saved no $user_ini"
[ "$(tr -d '\r' <"$user_ini" | grep -c '=')" = 13 ] || fail "the user's file holds: $(cat "$user_ini")"
[ ! -e "$(ini_file)" ] || fail "a settings file appeared beside the program"

# The saver reads the file the dialog wrote.
printf 'StepsPerSecond=20\r\n' >>"$user_ini"
pace=$(pace_of_run)
[ -n "$pace" ] && [ "$pace" -ge 18 ] && [ "$pace" -le 21 ] ||
  fail "the saver ran ${pace:-no} steps/s, not the user's file's 20"

# A file beside the program is the settings file, though the folder may not be written.
thaw
printf '[Zarmok]\r\nStepsPerSecond=30\r\n' >"$(ini_file)"
freeze
pace=$(pace_of_run)
[ -n "$pace" ] && [ "$pace" -ge 28 ] && [ "$pace" -le 31 ] ||
  fail "the saver ran ${pace:-no} steps/s, not the file beside it's 30"
echo "ok"
