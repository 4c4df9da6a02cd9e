#!/usr/bin/env bash
# The settings dialog under Wine, driven by the dialog probe from another process: a write the
# system refuses (a file another program holds open without sharing, a folder that does not exist
# yet): Enter shows the error box, titled "Zarmok" and owned by the dialog, with the message and a
# "."; the dialog stays open and the file as it was; once the file may be written a second OK saves
# the 13 keys in order.
source "$(dirname "$0")/_dialog.sh"
# The message asserted is a Japanese user's (Wine's user language follows LANG).
export LANG=ja_JP.UTF-8 LC_ALL=
start_xvfb 1024x768
install_dialog
dialog_case refused
echo "ok"
