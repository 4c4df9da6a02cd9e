# Shared by the Wayland scripts: a private headless sway with two 800x600 outputs side by side,
# run with its clients as an ordinary user (nobody when the tests run as root: sway refuses
# root), a private runtime folder, home and configuration folder, a private copy of the
# program, pictures of the outputs, and clean-up of everything on exit. Waits are for
# conditions (a socket, a picture, a process's end), each with a deadline.
set -euo pipefail

for variable in ZARMOK_PATH ZARMOK_WL_CLIENT; do
  if [ -z "${!variable:-}" ] || [ ! -x "${!variable}" ]; then
    echo "$variable does not name a built program" >&2
    exit 1
  fi
done

WORK=$(mktemp -d)
chmod 0755 "$WORK"
declare -a CLEANUP_PIDS=()
SWAY_PID=
# What sway paints where no surface is: the saver covers an output when none of it is left.
BACKGROUND='rgb(63,63,63)'

cleanup() {
  local pid
  for pid in "${CLEANUP_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$SWAY_PID" ]; then
    kill "$SWAY_PID" 2>/dev/null || true
    wait "$SWAY_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$WORK/err" ]; then echo "--- saver's stderr:" >&2; cat "$WORK/err" >&2; fi
  exit 1
}

# The waits for a process's end are the other test libraries' own.
source "$(dirname "${BASH_SOURCE[0]}")/../_common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../_wayland_saver.sh"

# as_user [exec_user] CMD...: CMD as nobody when run as root, else as this user, in the
# compositor's environment only: no X display leaks in, so every start is the Wayland back
# end's. With exec_user the shell becomes CMD, so that a background job's id is CMD's own.
as_user() {
  local exec_=
  if [ "$1" = exec_user ]; then exec_=exec; shift; fi
  local -a user=() session=()
  if [ "$(id -u)" = 0 ]; then user=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
  # Once sway runs, its clients find it; sway itself must not be told of a compositor.
  if [ -n "${WL_NAME:-}" ]; then session=(WAYLAND_DISPLAY="$WL_NAME" SWAYSOCK="$SWAYSOCK"); fi
  $exec_ "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" \
    XDG_RUNTIME_DIR="$WORK/run" ZARMOK_HOST_LIBDIR="$WORK/hostlib" "${session[@]}" "$@"
}

# start_sway [MODE...]: the compositor, ready to take clients, with one output per mode side by
# side (two of 800x600 by default); copies the programs where the user can run them.
start_sway() {
  local -a modes=("${@:-800x600}")
  [ $# -gt 0 ] || modes+=(800x600)
  make_owned "$WORK/run"
  make_owned "$WORK/home"
  make_owned "$WORK/home/.config"
  make_owned "$WORK/shots"
  mkdir -p "$WORK/bin"
  cp "$ZARMOK_PATH" "$WORK/bin/zarmok"
  cp "$ZARMOK_WL_CLIENT" "$WORK/bin/client"
  if [ -n "${ZARMOK_WL_SEEDED:-}" ]; then cp "$ZARMOK_WL_SEEDED" "$WORK/bin/seeded"; fi
  chmod -R a+rX "$WORK/bin"
  SAVER="$WORK/bin/zarmok"
  local i x=0
  : >"$WORK/sway.config"
  for i in "${!modes[@]}"; do
    echo "output HEADLESS-$((i + 1)) mode ${modes[i]} position $x 0" >>"$WORK/sway.config"
    x=$((x + ${modes[i]%x*}))
  done
  chmod a+r "$WORK/sway.config"
  as_user exec_user env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_HEADLESS_OUTPUTS=${#modes[@]} sway -c "$WORK/sway.config" >"$WORK/sway.log" 2>&1 &
  SWAY_PID=$!
  local socket=
  # sway names its sockets itself, in the runtime folder that is the test's alone.
  for i in $(seq 200); do
    socket=$(find "$WORK/run" -maxdepth 1 -type s -name 'wayland-*' | head -n1)
    SWAYSOCK=$(find "$WORK/run" -maxdepth 1 -type s -name 'sway-ipc.*.sock' | head -n1)
    if [ -n "$socket" ] && [ -n "$SWAYSOCK" ]; then break; fi
    kill -0 "$SWAY_PID" 2>/dev/null || fail "sway did not start: $(cat "$WORK/sway.log")"
    sleep 0.05
  done
  [ -n "$socket" ] && [ -n "$SWAYSOCK" ] || fail "sway did not start: $(cat "$WORK/sway.log")"
  WL_NAME=$(basename "$socket")
  for i in $(seq 100); do
    if as_user swaymsg -t get_outputs 2>/dev/null | grep -q "HEADLESS-${#modes[@]}"; then return 0; fi
    sleep 0.05
  done
  fail "sway has not all its outputs"
}

# shot OUTPUT: a picture of one output; prints its path.
shot() {
  local file="$WORK/shots/$1.png"
  as_user grim -o "$1" "$file" || fail "grim could not take $1"
  echo "$file"
}

# background_pixels FILE: how many pixels of the compositor's background a picture shows.
background_pixels() {
  convert "$1" -fill black +opaque "$BACKGROUND" -fill white -opaque "$BACKGROUND" \
    -format '%[fx:round(mean*w*h)]' info:
}

# lit_pixels FILE: how many pixels are neither black nor the background.
lit_pixels() {
  convert "$1" -fill black -opaque "$BACKGROUND" -fill white +opaque black \
    -format '%[fx:round(mean*w*h)]' info:
}

# wait_background PIXELS TIMEOUT_S WHAT OUTPUT...: waits until each output shows PIXELS pixels of
# the background ("all": nothing else), and fails saying WHAT otherwise.
wait_background() {
  local pixels=$1 timeout=$2 what=$3 output left file wanted
  shift 3
  local deadline=$(($(now_ms) + timeout * 1000))
  for output in "$@"; do
    until file=$(shot "$output") && left=$(background_pixels "$file") &&
      wanted=$pixels && if [ "$pixels" = all ]; then
        wanted=$(convert "$file" -format '%[fx:w*h]' info:)
      fi && [ "$left" = "$wanted" ]; do
      [ "$(now_ms)" -lt $deadline ] || fail "$what on $output ($left pixels of the background)"
      sleep 0.05
    done
  done
}

# wait_covered TIMEOUT_S OUTPUT...: waits until no pixel of the background is left on the outputs.
wait_covered() { wait_background 0 "$1" "the background still shows" "${@:2}"; }

# wait_uncovered TIMEOUT_S OUTPUT...: waits until the outputs show only the background.
wait_uncovered() { wait_background all "$1" "a surface is left" "${@:2}"; }

# press_key: one key, as a user types it: wtype makes a keyboard of its own for it, which the
# seat offers only from then on; the key comes 300 ms later, once clients have taken that
# keyboard.
press_key() {
  as_user wtype -s 300 a
}

# running_saver: the process id of the saver that holds the session's running flag (a name in
# the abstract socket namespace for the user and the compositor), if any; saver_running: whether
# one does.
running_saver() {
  ss -x -l -p | grep -F "@zarmok-running-$(as_user id -u)-$WORK/run/$WL_NAME " |
    grep -o 'pid=[0-9]*' | cut -d= -f2 || true
}
saver_running() { [ -n "$(running_saver)" ]; }

# start_nested_sway: a second sway whose outputs are windows of the first (its Wayland back
# end), with one output to begin with. Unlike a headless one, it really loses an output whose
# window closes. From then on clients, pictures and keys are the nested sway's; OUTER_WL_NAME
# and OUTER_SWAYSOCK name the first.
start_nested_sway() {
  OUTER_WL_NAME=$WL_NAME
  OUTER_SWAYSOCK=$SWAYSOCK
  : >"$WORK/nested.config"
  chmod a+r "$WORK/nested.config"
  as_user exec_user env WLR_BACKENDS=wayland WLR_RENDERER=pixman WLR_WL_OUTPUTS=1 \
    sway -c "$WORK/nested.config" >"$WORK/nested.log" 2>&1 &
  CLEANUP_PIDS+=($!)
  local i socket= ipc=
  for i in $(seq 200); do
    socket=$(find "$WORK/run" -maxdepth 1 -type s -name 'wayland-*' ! -name "$OUTER_WL_NAME" | head -n1)
    ipc=$(find "$WORK/run" -maxdepth 1 -type s -name 'sway-ipc.*.sock' ! -path "$OUTER_SWAYSOCK" |
      head -n1)
    if [ -n "$socket" ] && [ -n "$ipc" ]; then break; fi
    sleep 0.05
  done
  [ -n "$socket" ] && [ -n "$ipc" ] || fail "the nested sway did not start: $(cat "$WORK/nested.log")"
  WL_NAME=$(basename "$socket")
  SWAYSOCK=$ipc
  for i in $(seq 100); do [ -n "$(outputs)" ] && return 0 || sleep 0.05; done
  fail "the nested sway has no output"
}

# outputs: the names of the compositor's outputs, one a line.
outputs() {
  as_user swaymsg -t get_outputs 2>/dev/null | grep -o '"name": "[^"]*"' | cut -d'"' -f4 || true
}

# lose_outputs: closes the windows of the nested sway's outputs, and waits until it has none.
lose_outputs() {
  WL_NAME=$OUTER_WL_NAME SWAYSOCK=$OUTER_SWAYSOCK as_user swaymsg '[app_id=wlroots] kill' >/dev/null
  for i in $(seq 100); do [ -z "$(outputs)" ] && return 0 || sleep 0.05; done
  fail "the nested sway kept its outputs: $(outputs)"
}

# add_output: a new output of the nested sway, which has none; sets OUTPUT to its name.
add_output() {
  as_user swaymsg create_output >/dev/null
  for i in $(seq 100); do OUTPUT=$(outputs) && [ -n "$OUTPUT" ] && return 0 || sleep 0.05; done
  fail "the nested sway made no output"
}
