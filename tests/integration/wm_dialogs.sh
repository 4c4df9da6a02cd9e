#!/usr/bin/env bash
# The settings dialog and its about box under window managers, openbox and fluxbox in turn:
# each carries a dialog's hints (fixed size, move and close only, dialog type) from the moment
# the manager takes it on, the manager offers neither resizing nor maximising (fluxbox, which
# honours the Motif functions, not minimising either) and frames it without resize grips, the
# dialog's client area stands at (200, 107), and the about box is transient for the dialog,
# modal, and keeps the dialog from taking input while it is open. Under openbox, which keeps
# minimising, minimising the about box takes the dialog along and restoring brings both back,
# still modal. With ZARMOK_SHOT_DIR set, pictures of both as a user sees them are written there
# (<manager>-dialog.png, <manager>-about.png).
source "$(dirname "$0")/_lib.sh"
for tool in openbox fluxbox wmctrl; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
start_xvfb 1024x768
SAVER=$(install_saver)
ROOT=$(xwininfo -root | awk '/Window id:/ {print $4; exit}')

# start_manager NAME: starts the window manager and waits until it names itself on the root
# window (the name, not only the property: a manager that has gone leaves its property behind).
start_manager() {
  local name=$1
  case $name in
    openbox) openbox --sm-disable >"$WORK/wm.log" 2>&1 & ;;
    fluxbox)
      # Its own configuration, so no user's decides the test: a style whose buttons show their
      # symbols, a face with the Japanese characters, no wallpaper (its setter opens a message
      # box of its own when none is installed) and no toolbar. Without a ~/.fluxbox it takes
      # itself for new and writes its defaults over the configuration it was given.
      mkdir -p "$WORK/fluxbox" "$HOME/.fluxbox"
      : >"$WORK/fluxbox/menu"
      : >"$WORK/fluxbox/keys"
      printf 'background: none\n*.font: IPAPGothic-9\n' >"$WORK/fluxbox/overlay"
      printf '%s\n' "session.configVersion: 13" \
        "session.styleFile: /usr/share/fluxbox/styles/Emerge" \
        "session.styleOverlay: $WORK/fluxbox/overlay" "session.menuFile: $WORK/fluxbox/menu" \
        "session.keyFile: $WORK/fluxbox/keys" "session.screen0.toolbar.visible: false" \
        >"$WORK/fluxbox/init"
      fluxbox -rc "$WORK/fluxbox/init" >"$WORK/wm.log" 2>&1 &
      ;;
  esac
  WM_PID=$!
  CLEANUP_PIDS+=("$WM_PID")
  local check
  for _ in $(seq 100); do
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ {print $5}')
    [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -qi "\"$name\"" && return 0
    sleep 0.05
  done
  fail "$name did not start: $(cat "$WORK/wm.log")"
}

stop_manager() {
  kill "$WM_PID" 2>/dev/null || true
  wait "$WM_PID" 2>/dev/null || true
}

# managed WINDOW: waits until the window manager has framed the window and set its actions.
managed() {
  for _ in $(seq 100); do
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q ACTION_CLOSE && return 0
    sleep 0.05
  done
  return 1
}

# expect_dialog_hints WINDOW WHAT: the hints a dialog border sets, and what the manager makes
# of them.
expect_dialog_hints() {
  local window=$1 what="$MANAGER: $2" actions unwanted
  xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_DIALOG$' ||
    fail "$what: $(xprop -id "$window" _NET_WM_WINDOW_TYPE)"
  # Flags: functions and decorations; functions: move, close; decorations: border, title, menu.
  xprop -id "$window" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x24, 0x1a' ||
    fail "$what: $(xprop -id "$window" _MOTIF_WM_HINTS)"
  actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
  for wanted in _NET_WM_ACTION_CLOSE _NET_WM_ACTION_MOVE; do
    grep -q "$wanted" <<<"$actions" || fail "$what: no $wanted in $actions"
  done
  unwanted=(_NET_WM_ACTION_RESIZE _NET_WM_ACTION_MAXIMIZE_HORZ _NET_WM_ACTION_MAXIMIZE_VERT)
  [ "$MANAGER" = openbox ] || unwanted+=(_NET_WM_ACTION_MINIMIZE)
  for action in "${unwanted[@]}"; do
    grep -q "$action" <<<"$actions" && fail "$what: $action allowed: $actions"
  done
  # A frame with a title bar: the window is no longer a child of the root window.
  [ "$(frame_of "$window")" != "$((ROOT))" ] || fail "$what: not framed by the window manager"
  # No resize handle below the window: the frame is as thin there as at the sides.
  local left right top bottom
  read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS |
    awk -F'= ' '{gsub(",", ""); print $2}')
  [ "$top" -gt "$bottom" ] && [ "$bottom" = "$left" ] && [ "$bottom" = "$right" ] ||
    fail "$what: frame extents $left $right $top $bottom (a title bar, and no handle, expected)"
}

# frame_of WINDOW: the window's parent, the manager's frame once it is managed.
frame_of() {
  printf '%d\n' "$(xwininfo -id "$1" -tree | awk '/Parent window id:/ {print $4}')"
}

# client_at WINDOW: "X Y WIDTH HEIGHT" of the client area on the screen.
client_at() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /^  Width/ {w = $2} /^  Height/ {h = $2} END {print x, y, w, h}'
}

# centred WINDOW: the about box's client area, 294 x 201, is centred on the screen.
centred() {
  local x y w h
  read -r x y w h < <(client_at "$1")
  [ "$w $h" = "294 201" ] && [ $((x - (1024 - 294) / 2)) -ge -1 ] &&
    [ $((x - (1024 - 294) / 2)) -le 1 ] && [ $((y - (768 - 201) / 2)) -ge -1 ] &&
    [ $((y - (768 - 201) / 2)) -le 1 ]
}

# viewable WINDOW: whether the window is mapped and all its ancestors too.
viewable() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# wait_until TIMEOUT_S CMD...: polls CMD until it succeeds.
wait_until() {
  local timeout=$1 i
  shift
  for i in $(seq $((timeout * 20))); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }
both_iconic() { iconic "$1" && iconic "$2" && ! viewable "$1" && ! viewable "$2"; }
both_viewable() { viewable "$1" && viewable "$2"; }

# The dialog's Cancel button (79x33 at 432, 256 of its client area).
click_cancel() { xdotool mousemove $((200 + 432 + 40)) $((107 + 256 + 16)) click 1; }

# expect_modal WHAT: the dialog does not take a click on its Cancel button.
expect_modal() {
  click_cancel
  sleep 0.5
  kill -0 "$SAVER_PID" 2>/dev/null || fail "$MANAGER: the dialog took a click $1"
}

# minimise_about DIALOG ABOUT: a minimise of the about box is harmless: under openbox it takes
# the dialog along and bringing the dialog back (as a task list does) brings both back, with
# the about box active and still modal; fluxbox refuses it, the function having been withheld.
minimise_about() {
  local dialog=$1 about=$2
  xdotool windowminimize "$about"
  if [ "$MANAGER" = openbox ]; then
    wait_until 5 both_iconic "$dialog" "$about" ||
      fail "openbox: minimising the about box did not take the dialog along"
    xdotool windowactivate "$dialog"
    wait_until 5 both_viewable "$dialog" "$about" || fail "openbox: restoring did not bring both back"
    xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL ||
      fail "openbox: about box after restoring: $(xprop -id "$about" _NET_WM_STATE)"
    sleep 0.3
    [ "$(($(xprop -root _NET_ACTIVE_WINDOW | awk '{print $5}')))" = "$about" ] ||
      fail "openbox: the restored dialog, not its about box, is active"
    expect_modal "after the about box was minimised and restored"
  else
    sleep 0.5
    both_viewable "$dialog" "$about" && ! iconic "$about" ||
      fail "$MANAGER: minimised the about box although minimising is not among its functions"
  fi
}

run_under() {
  MANAGER=$1
  start_manager "$MANAGER"
  # Every change of the manager's list of the windows it manages, to see how often it took
  # the dialog on.
  xprop -root -spy _NET_CLIENT_LIST >"$WORK/clients.log" 2>&1 &
  local spy=$!
  CLEANUP_PIDS+=("$spy")
  start_saver /c
  local dialog about
  dialog=$(wait_for_window TBugsPramSet 10) || fail "$MANAGER: no dialog: $(cat "$WORK/err")"
  managed "$dialog" || fail "$MANAGER did not take the dialog on"
  expect_dialog_hints "$dialog" "the dialog"
  [ "$(client_at "$dialog")" = "200 107 519 289" ] ||
    fail "$MANAGER: dialog client area at $(client_at "$dialog")"
  if [ "$MANAGER" = openbox ]; then
    # A program's request to maximise is refused too (fluxbox carries one out, though it
    # offers maximising to no user).
    wmctrl -i -r "$dialog" -b add,maximized_vert,maximized_horz
    sleep 0.3
    [ "$(client_at "$dialog")" = "200 107 519 289" ] ||
      fail "openbox: maximised to $(client_at "$dialog")"
  fi

  # The About button, 49x17 at (440, 216) of the client area.
  xdotool mousemove $((200 + 440 + 24)) $((107 + 216 + 8)) click 1
  about=$(wait_for_window TAboutBox 5) || fail "$MANAGER: no about box"
  managed "$about" || fail "$MANAGER did not take the about box on"
  expect_dialog_hints "$about" "the about box"
  xprop -id "$about" WM_TRANSIENT_FOR | grep -q "# 0x$(printf '%x' "$dialog")\$" ||
    fail "$MANAGER: about box: $(xprop -id "$about" WM_TRANSIENT_FOR), dialog $(printf '0x%x' "$dialog")"
  xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL ||
    fail "$MANAGER: about box: $(xprop -id "$about" _NET_WM_STATE)"
  # Centred on the screen, to the pixel either way (fluxbox may still be placing its frame).
  wait_until 3 centred "$about" || fail "$MANAGER: about box at $(client_at "$about"): not centred"
  local ax ay aw ah
  read -r ax ay aw ah < <(client_at "$about")
  sleep 0.5
  if [ -n "${ZARMOK_SHOT_DIR:-}" ]; then import -window root "$ZARMOK_SHOT_DIR/$MANAGER-about.png"; fi

  # Taken on once: the hints were there when the manager first saw the dialog, so it was never
  # handed back (and left the list) to be framed anew.
  kill "$spy"
  awk -v id="$(printf '0x%x' "$dialog")" '$0 ~ (id "(,|$)") {seen = 1; next} seen {gone = 1}
    END {exit !(seen && !gone)}' "$WORK/clients.log" ||
    fail "$MANAGER: the dialog left the managed windows and came back: $(cat "$WORK/clients.log")"

  expect_modal "while the about box was open"
  minimise_about "$dialog" "$about"
  xdotool mousemove $((ax + 118 + 32)) $((ay + 159 + 16)) click 1
  wait_until 5 eval '! viewable '"$about" || fail "$MANAGER: OK did not close the about box"
  sleep 0.3
  if [ -n "${ZARMOK_SHOT_DIR:-}" ]; then import -window root "$ZARMOK_SHOT_DIR/$MANAGER-dialog.png"; fi
  # Now the dialog answers again: Cancel closes it.
  click_cancel
  wait_exit "$SAVER_PID" 5 || fail "$MANAGER: Cancel did not close the dialog after the about box"
  [ "$EXIT_CODE" = 0 ] || fail "$MANAGER: dialog exit code $EXIT_CODE: $(cat "$WORK/err")"
  stop_manager
}

run_under openbox
run_under fluxbox
echo "PASS"
