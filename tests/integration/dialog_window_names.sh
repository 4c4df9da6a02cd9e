#!/usr/bin/env bash
# The names of the program's windows read back as their titles: WM_NAME and WM_ICON_NAME
# (what window managers and tools that know nothing of _NET_WM_NAME read) as well as
# _NET_WM_NAME, for the settings dialog, its about box and both kinds of error box, whatever
# the program's locale. "xdotool search --name" finds each window by its exact title. The
# dialog and the about box speak Japanese in the Japanese locales and English in every other.
source "$(dirname "$0")/_lib.sh"
start_xvfb
saver=$(install_saver)

# The locales the program runs in: C and C.UTF-8, and the Japanese ones in both encodings a
# Japanese desktop uses (scripts/deps.sh generates them).
installed=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
for required in c c.utf8 ja_jp.utf8 ja_jp.eucjp; do
  grep -qx "$required" <<<"$installed" || fail "locale $required is not installed"
done
# en_US and de_DE need not be installed: the language follows the names alone.
locales=(C C.UTF-8 en_US.UTF-8 de_DE.UTF-8 ja_JP.UTF-8 ja_JP.eucJP)

# The readers decode in a UTF-8 locale, as a desktop showing Japanese titles does.
reader() { LC_ALL=C.UTF-8 "$@"; }

# expect_names WINDOW TITLE WHAT: each name property holds TITLE, typed so that it reads back
# as TITLE: STRING (Latin-1) only for an ASCII title, _NET_WM_NAME always UTF8_STRING.
expect_names() {
  local window=$1 title=$2 what=$3 property line type ascii=no
  [ -z "$(printf '%s' "$title" | LC_ALL=C tr -d '\000-\177')" ] && ascii=yes
  for property in WM_NAME WM_ICON_NAME _NET_WM_NAME; do
    line=$(reader xprop -id "$window" "$property" 2>&1 || true)
    [ "${line#*) = }" = "\"$title\"" ] || fail "$what in $locale: $line"
    type=${line#*(}
    type=${type%%)*}
    case "$property:$type:$ascii" in
      _NET_WM_NAME:UTF8_STRING:* | WM_*:UTF8_STRING:* | WM_*:COMPOUND_TEXT:* | WM_*:STRING:yes) ;;
      *) fail "$what in $locale: $property has type $type" ;;
    esac
  done
  # Anchored: the whole name is the title, not a name that merely contains it.
  reader xdotool search --name "^$title\$" 2>/dev/null | grep -qx "$window" ||
    fail "$what in $locale: xdotool search --name '$title' does not find window $window"
}

# wait_for_box: prints the id of the error box once it is shown, found by its class.
wait_for_box() {
  local id
  id=$(wait_for_window TErrorBox 5) || return 1
  for _ in $(seq 100); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# press_over WINDOW KEY: keys go to the window under the pointer when no window manager runs.
press_over() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key "$2"
}

# wait_gone WINDOW: the window is unmapped or destroyed within five seconds.
wait_gone() {
  for _ in $(seq 100); do
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable' || return 0
    sleep 0.05
  done
  return 1
}

# A folder where the settings file should be: OK then shows the "Zarmok" error box.
mkdir -p "$(settings_file)"

for locale in "${locales[@]}"; do
  case $locale in
    ja_*) dialog_title='Zarmok パラメータ設定' about_title='ﾊﾞｰｼﾞｮﾝ情報' report_title='ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ' ;;
    *) dialog_title='Zarmok Settings' about_title='About Zarmok' report_title='Application Error' ;;
  esac
  # The dialog, the box of a refused write and the about box.
  LC_ALL=$locale LANG=$locale "$saver" /c 2>"$WORK/stderr" &
  pid=$!
  CLEANUP_PIDS+=("$pid")
  dialog=$(wait_for_window TBugsPramSet) || fail "no dialog in $locale: $(cat "$WORK/stderr")"
  expect_names "$dialog" "$dialog_title" "the dialog"

  press_over "$dialog" Return
  box=$(wait_for_box) || fail "no error box for the refused write in $locale"
  expect_names "$box" 'Zarmok' "the error box of the refused write"
  press_over "$box" Return
  wait_gone "$box" || fail "Enter did not close the error box in $locale"
  kill -0 "$pid" 2>/dev/null || fail "the refused write closed the dialog in $locale"

  # The About button (49x17 at 440, 216 inside the dialog) last: once clicked it has the
  # focus, and Enter would press it instead of OK.
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  xdotool mousemove $((X + 440 + 24)) $((Y + 216 + 8)) click 1
  about=$(wait_for_window TAboutBox 5) || fail "no about box in $locale"
  expect_names "$about" "$about_title" "the about box"
  press_over "$about" Return
  wait_gone "$about" || fail "Enter did not close the about box in $locale"
  press_over "$dialog" Escape
  wait_exit "$pid" 5 || fail "Escape did not close the dialog in $locale"
  [ "$EXIT_CODE" = 0 ] || fail "dialog exit code $EXIT_CODE in $locale: $(cat "$WORK/stderr")"

  # The unhandled-error box of a preview handle that is not an integer, in the run's language.
  LC_ALL=$locale LANG=$locale "$saver" /p abc 2>"$WORK/stderr" &
  pid=$!
  CLEANUP_PIDS+=("$pid")
  box=$(wait_for_box) || fail "no unhandled-error box in $locale: $(cat "$WORK/stderr")"
  expect_names "$box" "$report_title" "the unhandled-error box"
  case $locale in
    ja_*) ;;
    *) grep -qx "Application Error: 'abc' is not an integer" "$WORK/stderr" ||
      fail "the report's line in $locale: $(cat "$WORK/stderr")" ;;
  esac
  press_over "$box" Return
  wait_exit "$pid" 5 || fail "Enter did not close the unhandled-error box in $locale"
  [ "$EXIT_CODE" = 1 ] || fail "unhandled-error exit code $EXIT_CODE in $locale"
done
echo "dialog_window_names: ok (${locales[*]})"
