#!/usr/bin/env bash
# "zarmok /c:<handle>": the dialog is transient for the host's window that the handle names, so
# that window managers keep it above that window; without a handle, or with one that names no
# window, the dialog has no owner and opens and closes as usual, without a word on stderr.
source "$(dirname "$0")/_lib.sh"
start_xvfb
saver=$(install_saver)

# open_dialog ARG: starts the dialog and sets PID and DIALOG (its window). Call it directly,
# not in $(...): only this shell can collect its children's exit codes.
open_dialog() {
  local before id=""
  before=$(xdotool search --class '^TBugsPramSet$' 2>/dev/null || true)
  "$saver" "$1" 2>>"$WORK/stderr" &
  PID=$!
  CLEANUP_PIDS+=("$PID")
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --class '^TBugsPramSet$' 2>/dev/null |
      grep -vxF "${before:-none}" | head -n1 || true)
    [ -n "$id" ] && break
    sleep 0.05
  done
  [ -n "$id" ] || fail "zarmok $1: no dialog: $(cat "$WORK/stderr")"
  DIALOG=$id
}

# owner_of WINDOW: the decimal id of the window it is transient for ("" for none).
owner_of() {
  local line
  line=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null || true)
  case "$line" in
    *"window id # 0x"*) printf '%d' "0x${line##*# 0x}" ;;
  esac
}

# close_dialog PID WINDOW: Escape over the window closes it with exit code 0.
close_dialog() {
  eval "$(xdotool getwindowgeometry --shell "$2")"
  xdotool mousemove $((X + 5)) $((Y + 5)) key Escape
  wait_exit "$1" 5 || fail "Escape did not close dialog $2"
  [ "$EXIT_CODE" = 0 ] || fail "dialog $2: exit code $EXIT_CODE: $(cat "$WORK/stderr")"
}

# The host's window stands in as a dialog of its own, opened without an owner.
open_dialog /c
host_pid=$PID
host=$DIALOG
[ -z "$(owner_of "$host")" ] || fail "a dialog without a handle has an owner: $(owner_of "$host")"

# Both spellings of the request name the owner.
for request in "/c:$host" "-c:$host"; do
  open_dialog "$request"
  [ "$(owner_of "$DIALOG")" = "$host" ] ||
    fail "zarmok $request: transient for '$(owner_of "$DIALOG")', not $host"
  close_dialog "$PID" "$DIALOG"
done

# Handles that name no window: an id of a client that does not exist, and one wider than X's
# 29-bit ids ("-1" is 0xFFFFFFFF), which no window can have.
for request in /c:536870656 /c:-1; do
  open_dialog "$request"
  [ -z "$(owner_of "$DIALOG")" ] || fail "zarmok $request: transient for $(owner_of "$DIALOG")"
  close_dialog "$PID" "$DIALOG"
done

close_dialog "$host_pid" "$host"
[ ! -s "$WORK/stderr" ] || fail "the dialogs wrote: $(cat "$WORK/stderr")"
echo "dialog_owner: ok"
