#!/usr/bin/env bash
# The settings dialog under Wine, driven by the dialog probe from another process: modal to the
# host's window given by handle (disabled while the dialog runs, enabled again after); About opens
# the about box modal to the dialog, centred, at its sizes and places, with the focus on its OK,
# which Enter presses; Escape then closes the dialog and nothing is written.
source "$(dirname "$0")/_dialog.sh"
start_xvfb 1024x768
install_dialog
dialog_case about
echo "ok"
