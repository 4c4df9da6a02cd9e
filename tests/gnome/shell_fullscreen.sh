#!/usr/bin/env bash
# GNOME Shell, which offers no layer shell: a full-screen xdg_toplevel on each virtual monitor
# covers that monitor whole at its size, the one shown last takes the keyboard, and a key
# injected through the remote desktop reaches that one alone.
source "$(dirname "$0")/_lib.sh"
start_gnome 1024x768 800x600

# size NAME: the size the shell gave the client NAME.
size() { grep -m1 '^configured' "$WORK/$1.out" | cut -d' ' -f2-; }

# covered NAME R,G,B: waits until the monitor the client NAME was made full-screen on shows its
# colour in every pixel.
covered() {
  local geometry
  case $(size "$1") in
    "1024 768") geometry=1024x768+0+0 ;;
    "800 600") geometry=800x600+1024+0 ;;
    *) fail "$1 was given the size of no monitor: $(size "$1")" ;;
  esac
  local pixels=$(($(size "$1" | tr ' ' '*')))
  wait_colour 10 gnome_shot "$geometry" "$2" "$pixels"
}

start_client red --output 0 200 40 40
wait_line 20 red shown
start_client green --output 1 40 160 40
green_pid=$CLIENT_PID
wait_line 20 green shown
[ "$(size red)" != "$(size green)" ] || fail "both clients are on one monitor"
covered red 200,40,40
covered green 40,160,40
echo "each monitor covered by its client"

wait_line 10 green keyboard
hands key 30 >/dev/null
wait_line 10 green "key 30"
wait_exit "$green_pid" 5 || fail "the client with the keyboard did not end at its key"
[ "$EXIT_CODE" = 0 ] || fail "exit $EXIT_CODE"
! grep -q "^key [0-9]" "$WORK/red.out" || fail "the key reached the client without the keyboard too: $(cat "$WORK/red.out")"
echo "PASS"
