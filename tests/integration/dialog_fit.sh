#!/usr/bin/env bash
# The settings dialog, its about box and an error box of the FLTK front end in English and in
# Japanese, with and without a Japanese font, at 100 % and at 200 % (Xft.dpi 192): each shows
# the catalogue's texts in its language and every text fits where it is drawn
# (tests/integration/fltk_fit_check.cpp looks at the windows from inside while they are up).
source "$(dirname "$0")/_lib.sh"
[ -n "${ZARMOK_FLTK_FIT_CHECK_PATH:-}" ] || fail "ZARMOK_FLTK_FIT_CHECK_PATH is not set"
start_xvfb 1400x900

[ -z "$(FONTCONFIG_FILE="$NO_JAPANESE_FONTS" fc-list :lang=ja)" ] ||
  fail "the font configuration still offers Japanese faces"
[ -n "$(fc-list :lang=ja)" ] || fail "no Japanese face is installed (fonts-ipafont-gothic)"

for dpi in 96 192; do
  echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
  for fonts in japanese none; do
    font_env=()
    if [ $fonts = none ]; then font_env=(FONTCONFIG_FILE="$NO_JAPANESE_FONTS"); fi
    for lang in ja en; do
      locale=$([ $lang = ja ] && echo ja_JP.UTF-8 || echo en_US.UTF-8)
      env "${font_env[@]}" LC_ALL= LANG=$locale timeout 60 "$ZARMOK_FLTK_FIT_CHECK_PATH" $lang \
        $((dpi / 96)) >"$WORK/out" 2>&1 || fail "$lang, fonts: $fonts, Xft.dpi $dpi: $(cat "$WORK/out")"
    done
  done
done
echo "dialog_fit: ok"
