# Shared by the Wine test scripts: a private X server (Xvfb, or Xephyr for two monitors), the
# saver copied into a private folder of the prefix's C: drive (so its settings file is
# private), the window probe, and clean-up of everything on exit.
set -euo pipefail

for variable in ZARMOK_SCR_PATH ZARMOK_PROBE_PATH WINEPREFIX; do
  if [ -z "${!variable:-}" ]; then
    echo "$variable is not set" >&2
    exit 1
  fi
done
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  bash "$ZARMOK_SOURCE_DIR/scripts/wine-prefix.sh" "$WINEPREFIX"
fi
# `wine reg` runs a reg.exe of the current folder: stay out of the build's folders.
cd /

WORK=$(mktemp -d)
# The saver's folder inside the prefix, named by the test, so no two tests share a settings file.
SCR_DIR_NAME="zarmok-$(basename "$0" .sh)-$$"
SCR_DIR="$WINEPREFIX/drive_c/$SCR_DIR_NAME"
declare -a CLEANUP_PIDS=() CLEANUP_ACTIONS=()
source "$(dirname "${BASH_SOURCE[0]}")/../_common.sh"

cleanup() {
  local pid action
  for action in "${CLEANUP_ACTIONS[@]}"; do eval "$action" || true; done
  for pid in "${CLEANUP_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Only this prefix's server: its processes saw this test's display and end with it.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  stop_display_servers
  rm -rf "$WORK" "$SCR_DIR"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$WORK/err" ]; then echo "--- saver's stderr" >&2; tail -n 20 "$WORK/err" >&2; fi
  exit 1
}

# on_exit COMMAND: runs COMMAND (a string) at clean-up, before the server ends.
on_exit() { CLEANUP_ACTIONS+=("$1"); }

# start_xvfb [WIDTHxHEIGHT]: a server on a free display number; exports DISPLAY.
start_xvfb() {
  local geometry=${1:-1024x768}
  # A server left over from an earlier process of this prefix would draw on another display.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  start_display_server Xvfb Xvfb -screen 0 "${geometry}x24"
}

# start_monitors XEPHYR_ARGS...: Xephyr with the screens that ARGS describe ("-origin X,Y"
# places the screen after it) as one Xinerama desktop (Xvfb's screens overlap in Wine's eyes),
# nested in an Xvfb. Wine's primary monitor is the first screen, at 0,0 of its virtual screen.
start_monitors() {
  start_xvfb 1920x1080
  start_display_server Xephyr Xephyr +xinerama -extension RANDR "$@"
}

# start_two_monitors: 1024x768 at 0,0 and 800x600 at 1024,0.
start_two_monitors() { start_monitors -screen 1024x768 -origin 1024,0 -screen 800x600; }

# start_window_manager NAME: starts the window manager (openbox, ...) on the current display and
# waits until it has taken the screen.
start_window_manager() {
  "$1" >"$WORK/wm.log" 2>&1 &
  CLEANUP_PIDS+=($!)
  local deadline=$((SECONDS + 10))
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ $SECONDS -lt $deadline ] || fail "$1 did not start: $(cat "$WORK/wm.log")"
    sleep 0.05
  done
}

# install_saver [FOLDER_NAME [FILE_NAME]]: copies the saver into C:\FOLDER_NAME; sets SCR (the
# Unix path) and SCR_WIN (the Windows path).
install_saver() {
  local folder=${1:-$SCR_DIR_NAME} name=${2:-zarmok.scr}
  SCR_DIR="$WINEPREFIX/drive_c/$folder"
  mkdir -p "$SCR_DIR"
  cp "$ZARMOK_SCR_PATH" "$SCR_DIR/$name"
  SCR="$SCR_DIR/$name"
  SCR_WIN="C:\\$folder\\$name"
}

# ini_file: the Unix path of the settings file beside the installed saver.
ini_file() { echo "$SCR.ini"; }

# start_saver ARGS...: starts the installed saver in the background, output in $WORK/err;
# sets SAVER_PID (the wine process, which ends with the program and carries its exit code).
start_saver() {
  wine "$SCR_WIN" "$@" >"$WORK/out" 2>"$WORK/err" &
  SAVER_PID=$!
  CLEANUP_PIDS+=("$SAVER_PID")
}

# probe ARGS...: runs the window probe (see tests/win32/probe.cpp); its stdout without CR.
probe() {
  local status=0 output
  output=$(wine "$ZARMOK_PROBE_PATH" "$@" 2>/dev/null) || status=$?
  [ -z "$output" ] || printf '%s\n' "$output" | tr -d '\r'
  return $status
}

# wait_saver_window [TIMEOUT_S]: prints the handle of the top-level TDesktopWindow.
wait_saver_window() {
  probe wait TDesktopWindow "${1:-20}" || fail "no TDesktopWindow appeared"
}

# wait_active WINDOW [TIMEOUT_S]: waits until the window is shown and the foreground one, so that
# a key pressed now reaches it.
wait_active() {
  local deadline=$((SECONDS + ${2:-20}))
  until [ "$(probe active "$1")" = 1 ]; do
    [ $SECONDS -lt $deadline ] || fail "window $1 never became the foreground window"
    sleep 0.1
  done
}

# screenshot FILE: the whole root window of the current display.
screenshot() { import -window root "$1"; }

# saver_runs_on SECONDS: true when the loop of the saver (started with ZARMOK_STATS=1) still runs
# SECONDS from now. Its measurements are written the moment it ends, seconds before Wine lets the
# process and its windows go (some 2 s each without a window manager).
saver_runs_on() {
  sleep "$1"
  kill -0 "$SAVER_PID" 2>/dev/null && ! tr -d '\r' <"$WORK/err" | grep -q '^zarmok stats:'
}

# wait_drawn: waits until the saver has drawn on the black screen: its loop runs, so its windows
# are shown and have taken the foreground.
wait_drawn() {
  wait_saver_window >/dev/null
  local deadline=$((SECONDS + 20))
  local drawn='%[fx:maxima.r + maxima.g + maxima.b > 0]'
  until screenshot "$WORK/drawn.png" && [ "$(convert "$WORK/drawn.png" -format "$drawn" info:)" = 1 ]; do
    [ $SECONDS -lt $deadline ] || fail "the saver drew nothing"
    sleep 0.1
  done
}

# loop_pace: the steps per second of the saver's last run (started with ZARMOK_STATS=1), from
# its measurements in $WORK/err, to two decimals.
loop_pace() {
  tr -d '\r' <"$WORK/err" | sed -n 's/^zarmok stats: \([0-9]*\) steps in \([0-9.]*\) s.*/\1 \2/p' |
    awk '$2 > 0 { printf "%.2f\n", $1 / $2 }'
}

# set_password_flag TYPE DATA: writes "ScreenSaveUsePassword" for the current user (removed
# again at clean-up). TYPE is REG_DWORD, REG_SZ, ...
set_password_flag() {
  wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t "$1" /d "$2" /f >/dev/null 2>&1 ||
    fail "could not set the password flag"
  on_exit "wine reg delete 'HKCU\\Control Panel\\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1"
}

# place_host_library FILE NAME: copies a test library into the prefix's system folder as NAME,
# putting back what was there at clean-up.
place_host_library() {
  local source=$1 name=$2 system="$WINEPREFIX/drive_c/windows/system32"
  local target
  target=$(find "$system" -maxdepth 1 -iname "$name" | head -n1)
  [ -n "$target" ] || target="$system/$name"
  if [ -e "$target" ]; then
    cp "$target" "$WORK/$name.saved"
    on_exit "cp '$WORK/$name.saved' '$target'"
  else
    on_exit "rm -f '$target'"
  fi
  cp "$source" "$target"
}

# use_scripted_password_library: the scripted PASSWORD.CPL in the system folder, logging its
# calls to $WORK/calls.log and answering the verdict written to $WORK/verdict; `calls` prints how
# many verifications it has had.
use_scripted_password_library() {
  place_host_library "$ZARMOK_TEST_CPL_PATH" PASSWORD.CPL
  export ZARMOK_TEST_HOSTLIB_LOG ZARMOK_TEST_VERDICT_FILE
  ZARMOK_TEST_HOSTLIB_LOG=$(win_path "$WORK/calls.log")
  ZARMOK_TEST_VERDICT_FILE=$(win_path "$WORK/verdict")
}
calls() { if [ -f "$WORK/calls.log" ]; then grep -c VerifyScreenSavePwd "$WORK/calls.log"; else echo 0; fi; }

# win_path FILE: the Windows name of a Unix path.
win_path() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
