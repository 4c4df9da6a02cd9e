#!/usr/bin/env bash
# Takes the pictures of the settings dialog, its about box and an error box (a refused save) of
# the Linux program under a private Xvfb without a window manager, in English and Japanese, with
# and without a Japanese font, at 100 % and 200 % (Xft.dpi 96 and 192):
#   bash scripts/dialog-pictures.sh [zarmok] [folder, default docs/languages]
# The pictures are named <window>-<en|ja>[-nofont]-<100|200>.png.
set -euo pipefail
cd "$(dirname "$0")/.."
zarmok=$(realpath "${1:-build/native/src/app/zarmok}")
out=${2:-docs/languages}
mkdir -p "$out"
WORK=$(mktemp -d)
fail() {
  echo "dialog-pictures.sh: $*" >&2
  exit 1
}
source tests/_common.sh
trap 'stop_display_servers; rm -rf "$WORK"' EXIT
start_display_server Xvfb Xvfb -screen 0 1400x1000x24
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config"
# A folder where the settings file should be: OK shows the error box of a refused save.
mkdir -p "$XDG_CONFIG_HOME/zarmok/zarmok.ini"

window_of() {
  local id="" i
  for i in $(seq 100); do
    id=$(xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# shot WINDOW FILE: the window's picture once it has drawn (two equal pictures in a row).
shot() {
  local before=""
  for _ in $(seq 30); do
    import -window "$1" "$2"
    local now
    now=$(md5sum <"$2")
    [ "$now" = "$before" ] && return 0
    before=$now
    sleep 0.2
  done
}
# click_at WINDOW X Y: a click at the point X, Y of the window's 96-dpi layout, at $scale.
click_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $2 * scale / 100)) $((Y + $3 * scale / 100)) click 1
}
# picture CLASS NAME: the picture of the window of that class, once shown; prints its id.
picture() {
  local id
  id=$(window_of "$1") || fail "no $1 for $name"
  shot "$id" "$out/$2-$name.png"
  echo "$id"
}
# dismiss WINDOW: Enter over it, then waits until it is gone.
dismiss() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
  for _ in $(seq 100); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "Enter did not close the window $1 for $name"
}

for scale in 100 200; do
  echo "Xft.dpi: $((96 * scale / 100))" | xrdb -nocpp -merge
  for fonts in "" -nofont; do
    for lang in en ja; do
      locale=$([ $lang = ja ] && echo ja_JP.UTF-8 || echo en_US.UTF-8)
      name=$lang$fonts-$scale
      font_env=()
      [ -n "$fonts" ] && font_env=(FONTCONFIG_FILE="$NO_JAPANESE_FONTS")
      env "${font_env[@]}" LC_ALL= LANG=$locale "$zarmok" /c 2>/dev/null &
      pid=$!
      dialog=$(picture TBugsPramSet dialog)
      click_at "$dialog" $((440 + 24)) $((216 + 8))
      dismiss "$(picture TAboutBox about)"
      # OK, clicked: Enter would press the About button, which has the focus now.
      click_at "$dialog" $((352 + 40)) $((256 + 16))
      dismiss "$(picture TErrorBox error)"
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    done
  done
done
ls "$out"
