# Shared by the integration scripts: a private Xvfb server, a private home and configuration
# folder (so the settings file and the host settings are the test's own), a private copy of the
# program, and clean-up of everything on exit.
set -euo pipefail

ZARMOK_EXE=${ZARMOK_PATH:-}
if [ -z "$ZARMOK_EXE" ] || [ ! -x "$ZARMOK_EXE" ]; then
  echo "ZARMOK_PATH does not name the built zarmok program" >&2
  exit 1
fi

WORK=$(mktemp -d)
declare -a CLEANUP_PIDS=()
source "$(dirname "${BASH_SOURCE[0]}")/../_common.sh"

cleanup() {
  local pid
  for pid in "${CLEANUP_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_display_servers
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# start_xvfb [WIDTHxHEIGHT [DEPTH]]: starts a server on a free display number and exports DISPLAY.
start_xvfb() {
  local geometry=${1:-1024x768} depth=${2:-24}
  # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
  start_display_server Xvfb Xvfb -screen 0 "${geometry}x${depth}"
  # Other users of this machine's HOME must not decide the password flag of a test run.
  export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
  mkdir -p "$XDG_CONFIG_HOME"
  export ZARMOK_HOST_LIBDIR="$WORK/hostlib"
}

# settings_file: prints the path of the per-user settings file the program reads and writes
# under the test's private configuration folder. The folder itself is not made: the program
# makes it on the first save.
settings_file() {
  echo "${XDG_CONFIG_HOME:?start_xvfb sets XDG_CONFIG_HOME}/zarmok/zarmok.ini"
}

# write_settings LINE...: writes the lines as the settings file, making its folder as the
# program would (mode 0700).
write_settings() {
  local file
  file=$(settings_file)
  mkdir -p -m 0700 "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

# as_user [exec_user] CMD...: runs CMD as the nobody user when the test runs as root (hosts and
# lockers refuse root, and permissions are only tried by an ordinary user), else as this user;
# with exec_user the shell becomes CMD, so its process id is CMD's.
as_user() {
  local exec_=
  if [ "$1" = exec_user ]; then exec_=exec; shift; fi
  if [ "$(id -u)" = 0 ]; then
    $exec_ setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
  else
    $exec_ "$@"
  fi
}

# install_saver: copies the program into the work folder; prints its path.
install_saver() {
  mkdir -p "$WORK/bin"
  cp "$ZARMOK_EXE" "$WORK/bin/zarmok"
  echo "$WORK/bin/zarmok"
}

# wait_for_window CLASS [TIMEOUT_S]: prints the id of the first window of that class.
wait_for_window() {
  local class=$1 timeout=${2:-10} id=""
  local deadline=$((SECONDS + timeout))
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --class "^$class\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# running_property: the root window's saver flag ("" when absent).
running_property() {
  xprop -root _ZARMOK_SCREENSAVER_RUNNING 2>/dev/null | grep -o '= [0-9]*' || true
}

# start_saver ARGS...: starts the private copy in the background with stderr in $WORK/err;
# sets SAVER_PID.
start_saver() {
  "$SAVER" "$@" 2>"$WORK/err" &
  SAVER_PID=$!
  CLEANUP_PIDS+=("$SAVER_PID")
}

# wait_for_focus ID [TIMEOUT_S]: waits until the window has the keyboard's focus.
wait_for_focus() {
  local deadline=$((SECONDS + ${2:-10}))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(($1))" ] && return 0
    sleep 0.05
  done
  return 1
}

# wait_exit_ms PID TIMEOUT_MS: as wait_exit, watching every 5 ms; sets ELAPSED_MS to the time
# the process took to end from the call.
wait_exit_ms() {
  local pid=$1 start
  start=$(date +%s%N)
  EXIT_CODE=
  while kill -0 "$pid" 2>/dev/null; do
    ELAPSED_MS=$((($(date +%s%N) - start) / 1000000))
    [ "$ELAPSED_MS" -lt "$2" ] || return 1
    sleep 0.005
  done
  ELAPSED_MS=$((($(date +%s%N) - start) / 1000000))
  EXIT_CODE=0
  wait "$pid" || EXIT_CODE=$?
}

# no_saver_left: fails when a TDesktopWindow or the running flag outlived the saver.
no_saver_left() {
  if xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1; then fail "a saver window is left"; fi
  [ -z "$(running_property)" ] || fail "the running flag is left on the root window"
}
