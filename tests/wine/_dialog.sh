# Shared by the dialog's scripts: the dialog harness copied into a private folder of the
# prefix's C: drive beside a folder for its settings files, and the dialog probe run on one of
# its cases (see tests/win32ui/dialog_probe.cpp).
source "$(dirname "${BASH_SOURCE[0]}")/_lib.sh"

for variable in ZARMOK_DIALOG_HARNESS_PATH ZARMOK_DIALOG_PROBE_PATH; do
  if [ -z "${!variable:-}" ]; then
    echo "$variable is not set" >&2
    exit 1
  fi
done

# install_dialog: sets HARNESS_WIN (the harness) and FILES_WIN (the settings files' folder).
install_dialog() {
  mkdir -p "$SCR_DIR/files"
  cp "$ZARMOK_DIALOG_HARNESS_PATH" "$SCR_DIR/dialog_harness.exe"
  cp "$ZARMOK_DIALOG_PROBE_PATH" "$SCR_DIR/dialog_probe.exe"
  HARNESS_WIN="C:\\$SCR_DIR_NAME\\dialog_harness.exe"
  FILES_WIN="C:\\$SCR_DIR_NAME\\files"
}

# dialog_case CASE: runs the probe on CASE; fails the test with the probe's report.
dialog_case() {
  local status=0
  wine "C:\\$SCR_DIR_NAME\\dialog_probe.exe" "$HARNESS_WIN" "$FILES_WIN" "$1" >"$WORK/probe" 2>&1 ||
    status=$?
  tr -d '\r' <"$WORK/probe"
  [ "$status" = 0 ] || fail "the dialog probe's case $1 failed (exit $status)"
}
