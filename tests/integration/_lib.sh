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
XVFB_PID=
declare -a CLEANUP_PIDS=()

cleanup() {
  local pid
  for pid in "${CLEANUP_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# start_xvfb [WIDTHxHEIGHT]: starts a server on a free display number and exports DISPLAY.
start_xvfb() {
  local geometry=${1:-1024x768}
  # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
  Xvfb -displayfd 9 -screen 0 "${geometry}x24" -nolisten tcp -noreset 9>"$WORK/display" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if [ -s "$WORK/display" ]; then break; fi
    sleep 0.05
  done
  [ -s "$WORK/display" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=":$(head -n1 "$WORK/display")"
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

# wait_exit PID TIMEOUT_S: waits for the process to end and sets EXIT_CODE; fails (returns 1)
# when it is still running after the timeout. Call it directly, not in $(...): only this shell
# can collect its children's exit codes.
wait_exit() {
  local pid=$1 timeout=$2 i
  EXIT_CODE=
  for i in $(seq $((timeout * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_CODE=0
      wait "$pid" || EXIT_CODE=$?
      return 0
    fi
    sleep 0.05
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

# pixel_stats FILE [GEOMETRY]: prints "<coloured pixels> <non-black pixels>" of a picture (or
# of the crop GEOMETRY of it); coloured means its channels differ by more than 40.
pixel_stats() {
  local file=$1 crop=${2:-}
  local args=("$file")
  if [ -n "$crop" ]; then args+=(-crop "$crop" +repage); fi
  convert "${args[@]}" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
      r = $3 + 0; g = $4 + 0; b = $5 + 0;
      hi = r; if (g > hi) hi = g; if (b > hi) hi = b;
      lo = r; if (g < lo) lo = g; if (b < lo) lo = b;
      if (hi > 0) lit++;
      if (hi - lo > 40) coloured++;
    } END { printf "%d %d\n", coloured, lit }'
}

# no_saver_left: fails when a TDesktopWindow or the running flag outlived the saver.
no_saver_left() {
  if xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1; then fail "a saver window is left"; fi
  [ -z "$(running_property)" ] || fail "the running flag is left on the root window"
}
