#!/usr/bin/env bash
# The settings dialog of zarmok.scr: no argument at all (Explorer's "Configure") and
# /c:<handle> open it, modal to the window of that handle when there is one (a handle that
# names no window leaves it without an owner); /c then Enter writes the 13 keys in order to the
# file beside the program and ends with exit code 0. A ZARMOK_SCREENSHOT_DIR keeps a picture of
# the dialog.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver
expected_keys="BugsType Speed BugPtnSize BugPtnExCyc MaxBugs BugSize ImageListLen SunG BugG WallG StopOnKey StopOnMouseMove StopOnMouseClick "

# open_dialog ARGS...: starts the saver with ARGS; sets DIALOG to the dialog's handle.
open_dialog() {
  start_saver "$@"
  DIALOG=$(probe wait TBugsPramSet 20) || fail "no settings dialog for '$*'"
}

# close_dialog HANDLE: closes it as the title bar's button does and expects exit code 0.
close_dialog() {
  probe post "$1" close || fail "could not close the dialog"
  wait_exit "$SAVER_PID" 10 || fail "the dialog did not end the program"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the dialog"
}

open_dialog
dialog=$DIALOG
! probe find TDesktopWindow >/dev/null || fail "no argument started the saver"
sleep 1
screenshot "$WORK/dialog.png"
[ -n "${ZARMOK_SCREENSHOT_DIR:-}" ] && cp "$WORK/dialog.png" "$ZARMOK_SCREENSHOT_DIR/dialog-wine.png"
read -r coloured lit < <(pixel_stats "$WORK/dialog.png")
[ "$lit" -gt 10000 ] || fail "the dialog shows nothing: $lit lit pixels"
close_dialog "$dialog"
[ ! -e "$(ini_file)" ] || fail "closing the dialog wrote the settings file"

open_dialog /c:1234
dialog=$DIALOG
read -r _ _ owner _ _ < <(probe style "$dialog")
close_dialog "$dialog"

wine "$ZARMOK_PROBE_PATH" pane 200 100 "$(win_path "$WORK/owner")" >/dev/null 2>&1 &
CLEANUP_PIDS+=($!)
for i in $(seq 100); do [ -s "$WORK/owner" ] && break; sleep 0.1; done
owner_window=$(tr -d '\r\n' <"$WORK/owner")
open_dialog "/c:$owner_window"
dialog=$DIALOG
read -r _ _ owner _ _ < <(probe style "$dialog")
[ "$owner" = "$owner_window" ] || fail "the dialog's owner is $owner, not $owner_window"
close_dialog "$dialog"

open_dialog /c
dialog=$DIALOG
sleep 1
xdotool key Return
wait_exit "$SAVER_PID" 10 || fail "Enter did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Enter"
[ -f "$(ini_file)" ] || fail "Enter wrote no settings file beside the program"
keys=$(tr -d '\r' <"$(ini_file)" | sed -n 's/^\([A-Za-z]*\)=.*/\1/p' | tr '\n' ' ')
[ "$keys" = "$expected_keys" ] || fail "the file holds the keys '$keys', not '$expected_keys'"
tr -d '\r' <"$(ini_file)" | grep -qx '\[Zarmok\]' || fail "no [Zarmok] section"
echo "ok"
