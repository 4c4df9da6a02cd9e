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
press_over() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key "$2"
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
      dialog=$(window_of TBugsPramSet) || fail "no dialog for $name"
      shot "$dialog" "$out/dialog-$name.png"
      eval "$(xdotool getwindowgeometry --shell "$dialog")"
      xdotool mousemove $((X + (440 + 24) * scale / 100)) $((Y + (216 + 8) * scale / 100)) click 1
      about=$(window_of TAboutBox) || fail "no about box for $name"
      shot "$about" "$out/about-$name.png"
      press_over "$about" Return
      sleep 0.3
      # OK, clicked: Enter would press the About button, which has the focus now.
      eval "$(xdotool getwindowgeometry --shell "$dialog")"
      xdotool mousemove $((X + (352 + 40) * scale / 100)) $((Y + (256 + 16) * scale / 100)) click 1
      box=$(window_of TErrorBox) || fail "no error box for $name"
      shot "$box" "$out/error-$name.png"
      press_over "$box" Return
      sleep 0.3
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    done
  done
done
ls "$out"
