#!/usr/bin/env bash
# The settings dialog under Wine, driven by the dialog probe from another process: Tab round the
# whole dialog and Shift+Tab back never change the radio group's checked item, with Type_B
# checked and with no item checked (a BugsType below -1), and enter the group at its checked
# item; the arrows move the check with the focus round the group; Space checks the item Tab left
# the focus on, and Enter saves it.
source "$(dirname "$0")/_dialog.sh"
start_xvfb 1024x768
install_dialog
dialog_case radio
echo "ok"
