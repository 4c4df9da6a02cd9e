#!/usr/bin/env bash
# "zarmok --help" and "--version" print in the user's language and encoding and end with exit
# code 0 before any display is looked for: no window, not even with a display that cannot be
# reached.
source "$(dirname "$0")/_lib.sh"
saver=$(install_saver)

expect_print() {
  local expected=$1 encoding=$2
  shift 2
  local out status=0
  out=$(env DISPLAY=:99999 WAYLAND_DISPLAY= "$@" 2>"$WORK/err") || status=$?
  [ "$status" = 0 ] || fail "$* ended with $status: $(cat "$WORK/err")"
  [ -s "$WORK/err" ] && fail "$* wrote to stderr: $(cat "$WORK/err")"
  printf '%s\n' "$out" | iconv -f "$encoding" -t UTF-8 | head -n1 | grep -qF "$expected" ||
    fail "$* printed: $out"
}
expect_print 'Usage: zarmok [/s | /c' UTF-8 LANG=en_US.UTF-8 "$saver" --help
expect_print 'Usage: zarmok [/s | /c' UTF-8 LANG=C LANGUAGE=ja "$saver" --help
expect_print '使い方: zarmok [/s | /c' UTF-8 LANG=ja_JP.UTF-8 "$saver" --help
expect_print '使い方: zarmok [/s | /c' EUC-JP LC_ALL=ja_JP.eucJP "$saver" --help
expect_print 'zarmok 1.04' UTF-8 LANG=de_DE.UTF-8 "$saver" --version
echo "cli_help: ok"
