#!/usr/bin/env bash
# Makes a fresh Wine prefix for the Windows build's tests: scripts/wine-prefix.sh DIR.
# Nothing of an earlier run or of the user's own Wine settings leaks in. The font mapping below
# is a setting of this test prefix, not of the product: Wine's dialog font has no Japanese
# glyphs until it is mapped to an installed Japanese face.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh DIR}
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$prefix"
# Another prefix's server is never touched: only this prefix's is ended.
wineserver -k >/dev/null 2>&1 || true
rm -rf "$prefix"
log=$(mktemp)
trap 'rm -f "$log" "${reg_file:-}"' EXIT
# No Mono or Gecko: nothing here needs them, and their installers would ask questions.
WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= wineboot --init >"$log" 2>&1 ||
  { cat "$log"; echo "wineboot failed" >&2; exit 1; }
wineserver -w
# `wine reg` and `wine regedit` would run a reg.exe or regedit.exe of the current folder.
cd /
# With its automatic debugger, Wine ends a crashed program with exit code 0 when the output is
# not a terminal: switch the debugger off so a crash fails the test run. Japanese captions:
# the dialog fonts Wine offers, and the Japanese face a program may ask for by name, map to
# IPA P Gothic (fonts-ipafont-gothic). regedit reads a UTF-16 file, so the Japanese name
# arrives whatever the locale of this shell.
reg_file=$(mktemp --suffix=.reg)
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n'
  printf '"Debugger"=""\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"Tahoma"="IPAPGothic"\r\n'
  printf '"MS Shell Dlg"="IPAPGothic"\r\n'
  printf '"MS Shell Dlg 2"="IPAPGothic"\r\n'
  printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n\r\n'
} | iconv -f UTF-8 -t UTF-16 >"$reg_file"
DISPLAY= wine regedit /S "$(winepath -w "$reg_file")" >>"$log" 2>&1 ||
  { cat "$log"; echo "regedit failed" >&2; exit 1; }
wineserver -w
grep -q 'Replacements' "$prefix/user.reg" || { echo "font replacements not stored" >&2; exit 1; }
grep -q 'AeDebug' "$prefix/system.reg" || { echo "debugger setting not stored" >&2; exit 1; }
