#!/usr/bin/env bash
# The settings dialog under Wine, driven by the dialog probe from another process: the dialog's
# place, client size, border and caption; every control's place, size, caption and range from the
# control table; the defaults shown without a file; the keys on the focused bar (arrows and page
# keys by 1, Home and End to the ends); Tab round the controls in the table's order; Escape
# closes it with exit code 0 and writes nothing. In English, as Wine's user language is under an
# English LANG, and in Japanese, each text the catalogue's in that language and fitting its place.
source "$(dirname "$0")/_dialog.sh"
start_xvfb 1024x768
install_dialog
for LANG in en_US.UTF-8 ja_JP.UTF-8; do
  export LANG LC_ALL=
  dialog_case layout
done
echo "ok"
