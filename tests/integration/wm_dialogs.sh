#!/usr/bin/env bash
# The settings dialog and its about box under a window manager (openbox): each carries a
# dialog's hints (fixed size, move and close only, dialog type), the manager offers neither
# resizing nor maximising, the dialog's client area stands at (200, 107), and the about box is
# transient for the dialog, modal, and keeps the dialog from taking input while it is open.
# With ZARMOK_SHOT_DIR set, pictures of both as a user sees them are written there.
source "$(dirname "$0")/_lib.sh"
command -v openbox >/dev/null || fail "openbox is not installed"
start_xvfb 1024x768
SAVER=$(install_saver)
openbox --sm-disable >"$WORK/wm.log" 2>&1 &
CLEANUP_PIDS+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start: $(cat "$WORK/wm.log")"

# managed WINDOW: waits until the window manager has framed the window and set its actions.
managed() {
  for _ in $(seq 100); do
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q ACTION_CLOSE && return 0
    sleep 0.05
  done
  return 1
}

# expect_dialog_hints WINDOW WHAT: the hints a dialog border sets, and what openbox makes of them.
expect_dialog_hints() {
  local window=$1 what=$2 actions
  xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_DIALOG$' ||
    fail "$what: $(xprop -id "$window" _NET_WM_WINDOW_TYPE)"
  # Flags: functions and decorations; functions: move, close; decorations: border, title, menu.
  xprop -id "$window" _MOTIF_WM_HINTS | grep -q '= 0x3, 0x24, 0x1a' ||
    fail "$what: $(xprop -id "$window" _MOTIF_WM_HINTS)"
  actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
  for wanted in _NET_WM_ACTION_CLOSE _NET_WM_ACTION_MOVE; do
    grep -q "$wanted" <<<"$actions" || fail "$what: no $wanted in $actions"
  done
  for unwanted in _NET_WM_ACTION_RESIZE _NET_WM_ACTION_MAXIMIZE_HORZ _NET_WM_ACTION_MAXIMIZE_VERT; do
    grep -q "$unwanted" <<<"$actions" && fail "$what: $unwanted allowed: $actions"
  done
  # A frame with a title bar: the window is no longer a child of the root window.
  local parent
  parent=$(xwininfo -id "$window" -tree | awk '/Parent window id:/ {print $4}')
  [ "$((parent))" != "$(xwininfo -root | awk '/Window id:/ {print $4}' | head -n1 | xargs printf '%d')" ] ||
    fail "$what: not framed by the window manager"
}

# client_at WINDOW: "X Y WIDTH HEIGHT" of the client area on the screen.
client_at() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /^  Width/ {w = $2} /^  Height/ {h = $2} END {print x, y, w, h}'
}

start_saver /c
dialog=$(wait_for_window TBugsPramSet 10) || fail "no dialog: $(cat "$WORK/err")"
managed "$dialog" || fail "openbox did not take the dialog on"
expect_dialog_hints "$dialog" "the dialog"
[ "$(client_at "$dialog")" = "200 107 519 289" ] || fail "dialog client area at $(client_at "$dialog")"

# The About button, 49x17 at (440, 216) of the client area.
xdotool mousemove $((200 + 440 + 24)) $((107 + 216 + 8)) click 1
about=$(wait_for_window TAboutBox 5) || fail "no about box"
managed "$about" || fail "openbox did not take the about box on"
expect_dialog_hints "$about" "the about box"
xprop -id "$about" WM_TRANSIENT_FOR | grep -q "# 0x$(printf '%x' "$dialog")\$" ||
  fail "about box: $(xprop -id "$about" WM_TRANSIENT_FOR), dialog $(printf '0x%x' "$dialog")"
xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL ||
  fail "about box: $(xprop -id "$about" _NET_WM_STATE)"
read -r ax ay aw ah < <(client_at "$about")
[ "$aw $ah" = "294 201" ] || fail "about box client size $aw x $ah"
# Centred on the screen, to the pixel either way.
[ $((ax - (1024 - 294) / 2)) -ge -1 ] && [ $((ax - (1024 - 294) / 2)) -le 1 ] &&
  [ $((ay - (768 - 201) / 2)) -ge -1 ] && [ $((ay - (768 - 201) / 2)) -le 1 ] ||
  fail "about box at $ax, $ay: not centred"
sleep 0.5
if [ -n "${ZARMOK_SHOT_DIR:-}" ]; then import -window root "$ZARMOK_SHOT_DIR/openbox-about.png"; fi

# Modal: the dialog's Cancel button (79x33 at 432, 256) does nothing while the box is open.
xdotool mousemove $((200 + 432 + 40)) $((107 + 256 + 16)) click 1
sleep 0.5
kill -0 "$SAVER_PID" 2>/dev/null || fail "the dialog took a click while the about box was open"
xdotool mousemove $((ax + 118 + 32)) $((ay + 159 + 16)) click 1
for _ in $(seq 100); do
  xwininfo -id "$about" 2>/dev/null | grep -q 'Map State: IsViewable' || break
  sleep 0.05
done
xwininfo -id "$about" 2>/dev/null | grep -q 'Map State: IsViewable' && fail "OK did not close the about box"
sleep 0.3
if [ -n "${ZARMOK_SHOT_DIR:-}" ]; then import -window root "$ZARMOK_SHOT_DIR/openbox-dialog.png"; fi
# Now the dialog answers again: Cancel closes it.
xdotool mousemove $((200 + 432 + 40)) $((107 + 256 + 16)) click 1
wait_exit "$SAVER_PID" 5 || fail "Cancel did not close the dialog after the about box"
[ "$EXIT_CODE" = 0 ] || fail "dialog exit code $EXIT_CODE: $(cat "$WORK/err")"
echo "PASS"
