#!/usr/bin/env bash
# The settings dialog under Wine, driven by the dialog probe from another process: a real arrow
# click and real trough clicks (on both sides of the thumb) move a bar by 1; clicks on a radio item
# and a check box; Enter saves the 13 keys in order into a file whose other sections, keys and
# comment stay as they were, and ends the program with exit code 0. Values out of range show at
# their ends, a BugsType of -7 checks no item, and Enter saves those.
source "$(dirname "$0")/_dialog.sh"
start_xvfb 1024x768
install_dialog
dialog_case save
echo "ok"
