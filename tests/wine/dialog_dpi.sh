#!/usr/bin/env bash
# The settings dialog under Wine at 144 dots per inch (the prefix's own setting, put back at the
# end): the dialog's corner, client area and controls, and the about box, half as large again as
# the control table's, the labels as wide as their text in the larger font; then, at 96, a move
# to a monitor of 144 announced by WM_DPICHANGED lays the controls out again at the new scale in
# the window rectangle the system suggests. Pictures of each in $ZARMOK_DPI_SHOTS (when set).
source "$(dirname "$0")/_dialog.sh"
desktop='HKCU\Control Panel\Desktop'
# The prefix is shared by every Wine test: its scale goes back to what it was, even on failure.
previous=$(wine reg query "$desktop" /v LogPixels 2>/dev/null | tr -d '\r' |
  awk '$1 == "LogPixels" { print $3 }') || true
if [ -n "$previous" ]; then
  on_exit "wine reg add '$desktop' /v LogPixels /t REG_DWORD /d $((previous)) /f >/dev/null 2>&1"
else
  on_exit "wine reg delete '$desktop' /v LogPixels /f >/dev/null 2>&1"
fi
set_dpi() {
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    fail "could not set the prefix's scale to $1"
}

# dialog_case_with_shots CASE: the probe's case, a picture each time it asks for one.
dialog_case_with_shots() {
  local status=0 pid name
  wine "C:\\$SCR_DIR_NAME\\dialog_probe.exe" "$HARNESS_WIN" "$FILES_WIN" "$1" >"$WORK/probe" 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    for ready in "$SCR_DIR/files"/*.ready; do
      [ -e "$ready" ] || continue
      name=$(basename "$ready" .ready)
      rm -f "$ready"
      screenshot "$WORK/$name.png"
      if [ -n "${ZARMOK_DPI_SHOTS:-}" ]; then cp "$WORK/$name.png" "$ZARMOK_DPI_SHOTS/$name.png"; fi
      : >"$SCR_DIR/files/$name.shot"
    done
    sleep 0.1
  done
  wait "$pid" || status=$?
  tr -d '\r' <"$WORK/probe"
  [ "$status" = 0 ] || fail "the dialog probe's case $1 failed (exit $status)"
}

set_dpi 144
start_xvfb 1280x1024
install_dialog
# English at 150 %, then Japanese, each text fitting its place at that scale.
for LANG in en_US.UTF-8 ja_JP.UTF-8; do
  export LANG LC_ALL=
  dialog_case_with_shots dpi
done
set_dpi 96
dialog_case_with_shots dpi-change
echo "ok"
