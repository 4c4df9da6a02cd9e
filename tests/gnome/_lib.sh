# Shared by the scripts of the desktops without the layer shell. GNOME Shell runs headless on
# virtual monitors inside its own session bus, beside a private system bus (the shell asks for the
# login service), with notification banners off so that a picture shows only what the clients
# drew; the test's hands inject input through Mutter's remote desktop and take pictures through
# the shell. weston runs its X11 back end in a private Xvfb, one X window per output, placed side
# by side and driven with xdotool. Everything runs as an ordinary user (nobody when the tests
# run as root) in a fresh runtime folder, home and picture folder, and is cleaned up on exit.
# Waits are for conditions, each with a deadline.
set -euo pipefail

if [ -z "${ZARMOK_PATH:-}" ] || [ ! -x "$ZARMOK_PATH" ]; then
  echo "ZARMOK_PATH does not name a built program" >&2
  exit 1
fi

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d)
chmod 0755 "$WORK"
declare -a CLEANUP_PIDS=()
# What each compositor was told to call its Wayland socket, in the runtime folder that is the
# test's alone.
WL_NAME=
SESSION_BUS=
SYSTEM_BUS=

cleanup() {
  local i
  if [ -n "${HANDS_PID:-}" ]; then kill "$HANDS_PID" 2>/dev/null || true; fi
  # The shell's session bus, and the services it started, end once the shell has.
  if [ -n "${SHELL_PID:-}" ]; then
    kill "$SHELL_PID" 2>/dev/null || true
    wait_exit "$SESSION_PID" 10 || true
  fi
  for ((i = ${#CLEANUP_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${CLEANUP_PIDS[i]}" 2>/dev/null || true
    wait "${CLEANUP_PIDS[i]}" 2>/dev/null || true
  done
  stop_display_servers
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  local log
  echo "FAIL: $*" >&2
  for log in "$WORK"/*.log "$WORK"/*.err; do
    if [ -s "$log" ]; then echo "--- $(basename "$log"):" >&2; tail -n 20 "$log" >&2; fi
  done
  exit 1
}

source "$HERE/../_common.sh"
source "$HERE/../_wayland_saver.sh"

# as_user [exec_user] CMD...: CMD as nobody when run as root, else as this user, with the
# compositor's environment and nothing of this shell's. With exec_user the shell becomes CMD,
# so that a background job's id is CMD's own.
as_user() {
  local exec_=
  if [ "$1" = exec_user ]; then exec_=exec; shift; fi
  local -a user=() session=()
  if [ "$(id -u)" = 0 ]; then user=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
  if [ -n "$WL_NAME" ]; then session+=(WAYLAND_DISPLAY="$WL_NAME"); fi
  if [ -n "$SESSION_BUS" ]; then session+=(DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS"); fi
  if [ -n "$SYSTEM_BUS" ]; then session+=(DBUS_SYSTEM_BUS_ADDRESS="$SYSTEM_BUS"); fi
  if [ -n "${DISPLAY:-}" ]; then session+=(DISPLAY="$DISPLAY"); fi
  $exec_ "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" \
    XDG_RUNTIME_DIR="$WORK/run" GSETTINGS_BACKEND=keyfile "${session[@]}" "$@"
}

# prepare_user: the user's folders, and the programs copied where the user can run them.
prepare_user() {
  local folder
  for folder in run home home/.config home/.config/glib-2.0 home/.config/glib-2.0/settings shots; do
    make_owned "$WORK/$folder"
  done
  mkdir -p "$WORK/bin"
  cp "$ZARMOK_PATH" "$WORK/bin/zarmok"
  if [ -n "${ZARMOK_WL_CLIENT:-}" ]; then cp "$ZARMOK_WL_CLIENT" "$WORK/bin/client"; fi
  cp "$HERE/_shell_hands.py" "$WORK/bin/hands.py"
  chmod -R a+rX "$WORK/bin"
  SAVER="$WORK/bin/zarmok"
}

# wait_for TIMEOUT_S WHAT CMD...: waits until CMD succeeds, and fails saying WHAT otherwise.
wait_for() {
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what"
    sleep 0.05
  done
}

# start_gnome WxH...: GNOME Shell with one virtual monitor of each size, side by side in that
# order, out of its overview (where a new window gets no keyboard) and with the test's hands
# ready; sets SHELL_PID (GNOME Shell's own process).
start_gnome() {
  local monitor
  local -a monitors=()
  for monitor in "$@"; do monitors+=(--virtual-monitor "$monitor"); done
  prepare_user
  printf '[org/gnome/desktop/notifications]\nshow-banners=false\n' |
    as_user tee "$WORK/home/.config/glib-2.0/settings/keyfile" >/dev/null
  cat >"$WORK/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$WORK/run/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
  chmod a+r "$WORK/system-bus.conf"
  as_user exec_user dbus-daemon --config-file="$WORK/system-bus.conf" --nofork >"$WORK/system-bus.log" 2>&1 &
  CLEANUP_PIDS+=($!)
  wait_for 10 "the system bus did not start" test -S "$WORK/run/system-bus"
  SYSTEM_BUS="unix:path=$WORK/run/system-bus"
  # The session bus lives as long as the shell; the scripts' own clients are told where it is.
  # shellcheck disable=SC2016
  as_user exec_user dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0.tmp" && mv "$0.tmp" "$0" &&
    exec gnome-shell --headless --wayland --no-x11 --wayland-display=gnome-test "$@"' \
    "$WORK/run/session-bus-address" "${monitors[@]}" >"$WORK/shell.log" 2>&1 &
  SESSION_PID=$!
  CLEANUP_PIDS+=("$SESSION_PID")
  wait_for 30 "GNOME Shell did not start" grep -q "GNOME Shell started" "$WORK/shell.log"
  SESSION_BUS=$(cat "$WORK/run/session-bus-address")
  WL_NAME=gnome-test
  SHELL_PID=$(pgrep -P "$SESSION_PID" -x gnome-shell) || fail "GNOME Shell is not the session's program"
  as_user gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' >/dev/null
  wait_for 10 "the shell stays in its overview" overview_left
  coproc HANDS { as_user exec_user /usr/bin/python3 "$WORK/bin/hands.py" 2>"$WORK/hands.err"; }
  local ready=
  read -r -t 20 ready <&"${HANDS[0]}" || true
  [ "$ready" = ready ] || fail "the test's hands on the shell are not ready"
}

overview_left() {
  as_user gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive | grep -q false
}

# hands COMMAND...: one command of the hands (see _shell_hands.py), done once the shell took it.
hands() {
  local answer=
  echo "$*" >&"${HANDS[1]}"
  read -r -t 15 answer <&"${HANDS[0]}" || true
  [ "$answer" = ok ] || fail "the hands could not $*: $answer"
}

# gnome_shot NAME: a picture of every monitor; prints its path.
gnome_shot() {
  hands shot "$WORK/shots/$1.png" >/dev/null
  echo "$WORK/shots/$1.png"
}

# start_weston: weston's X11 back end with two 800x600 outputs, its windows side by side in an
# Xvfb, so that xdotool reaches it and a picture of the root shows both.
start_weston() {
  prepare_user
  start_display_server xvfb Xvfb -screen 0 1600x600x24
  as_user exec_user weston --backend=x11-backend.so --use-pixman --output-count=2 --width=800 \
    --height=600 --socket=weston-test --no-config >"$WORK/weston.log" 2>&1 &
  CLEANUP_PIDS+=($!)
  wait_for 10 "weston did not start" test -S "$WORK/run/weston-test"
  WL_NAME=weston-test
  wait_for 10 "weston has not two outputs" weston_windows
  # Its outputs lie side by side; their windows are made in that order, at the same place.
  xdotool windowmove "${WESTON_WINDOWS[1]}" 800 0
  # weston draws its pointer into the output it is on, across the edge too: it starts in the
  # middle of the first, where a client on that output can hide it.
  xdotool mousemove 400 300
}

weston_windows() {
  mapfile -t WESTON_WINDOWS < <(xdotool search --class "Weston Compositor" | sort -n)
  [ ${#WESTON_WINDOWS[@]} = 2 ]
}

# weston_shot NAME: both outputs as weston shows them in their X windows; prints its path.
# weston-screenshooter is no witness here: it hands over the padding byte of an XRGB8888 buffer
# as the picture's alpha, and the padding of the saver's pixels is 0.
weston_shot() {
  import -window root "$WORK/shots/$1.png" || fail "no picture of the X screen"
  echo "$WORK/shots/$1.png"
}

# desktop_left DESKTOP SHOT GEOMETRY: how many pixels of that part of the picture SHOT are still
# the desktop's, as the picture DESKTOP shows it before the saver (its black left out: the saver
# draws black too).
desktop_left() {
  convert \( "$1" "$2" -alpha off -crop "$3" +repage -compose difference -composite \
    -fill white +opaque black -negate \) \( "$1" -alpha off -crop "$3" +repage -fill white \
    +opaque black \) -compose multiply -composite -precision 12 \
    -format '%[fx:round(mean*w*h)]' info:
}

# shows SHOT WHAT GEOMETRY: whether a picture taken by the command SHOT shows that part covered
# (WHAT = covered: no pixel of $WORK/desktop.png left) or the desktop again (WHAT = uncovered: in
# more than half its pixels).
shows() {
  local file left
  file=$($1 now) && left=$(desktop_left "$WORK/desktop.png" "$file" "$3") || return 1
  if [ "$2" = covered ]; then
    [ "$left" = 0 ]
  else
    [ "$left" -gt $(($(area "$3") / 2)) ]
  fi
}

# wait_desktop TIMEOUT_S SHOT WHAT GEOMETRY...: waits until a picture taken by the command SHOT
# shows each part as WHAT says (see shows).
wait_desktop() {
  local deadline=$(($(now_ms) + $1 * 1000)) shot=$2 what=$3 geometry
  shift 3
  for geometry in "$@"; do
    until shows "$shot" "$what" "$geometry"; do
      [ "$(now_ms)" -lt $deadline ] || fail "$geometry not $what"
      sleep 0.05
    done
  done
}

# desktop_shot SHOT GEOMETRY...: waits until a picture taken by the command SHOT shows the desktop
# drawn on each part (most of it not black) and settled (as the picture before: the compositors
# fade it in), and keeps it as $WORK/desktop.png.
desktop_shot() {
  local deadline=$(($(now_ms) + 10000)) shot=$1 file
  shift
  until file=$($shot desktop) && [ -s "$WORK/desktop.png" ] &&
    [ "$(compare -metric AE "$file" "$WORK/desktop.png" null: 2>&1 || true)" = 0 ] &&
    desktop_drawn "$file" "$@"; do
    [ "$(now_ms)" -lt $deadline ] || fail "no desktop drawn on $*"
    cp "$file" "$WORK/desktop.png"
    sleep 0.1
  done
}

desktop_drawn() {
  local file=$1 geometry
  shift
  for geometry in "$@"; do
    [ "$(lit_pixels "$file" "$geometry")" -gt $(($(area "$geometry") / 2)) ] || return 1
  done
}

# area GEOMETRY: how many pixels a part WxH+X+Y has.
area() {
  local size=${1%%+*}
  echo $((${size%x*} * ${size#*x}))
}

# lit_pixels FILE GEOMETRY: how many pixels of that part of a picture are not black.
lit_pixels() {
  convert "$1" -alpha off -crop "$2" +repage -fill white +opaque black \
    -precision 12 -format '%[fx:round(mean*w*h)]' info:
}
