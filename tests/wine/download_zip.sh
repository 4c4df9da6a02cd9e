#!/usr/bin/env bash
# The Windows download as a user gets it: `cpack -G ZIP` makes zarmok-<version>-win64.zip with
# zarmok.scr, README.txt and LICENSE.txt at its top, in Windows' line ends; the README tells how
# to install, try, configure and remove the saver and where its settings live; the licence holds
# the programs' notice and that of the runtime linked in. Unpacked alone, zarmok.scr shows
# Windows its name (string 1), its icon (the first icon group, 100) and its version in Japanese,
# declares long paths, and runs.
source "$(dirname "$0")/_lib.sh"
for variable in ZARMOK_CPACK ZARMOK_CPACK_CONFIG; do
  [ -n "${!variable:-}" ] || fail "$variable is not set"
done
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$ZARMOK_CPACK_CONFIG")
[ -n "$version" ] || fail "no version in $ZARMOK_CPACK_CONFIG"
"$ZARMOK_CPACK" --config "$ZARMOK_CPACK_CONFIG" -G ZIP -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$WORK/cpack.log")"
zip="$WORK/package/zarmok-$version-win64.zip"
[ -f "$zip" ] || fail "no $zip: $(ls "$WORK/package")"
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt zarmok.scr " ] ||
  fail "the download holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
mkdir -p "$SCR_DIR"
unzip -q "$zip" -d "$SCR_DIR"
SCR="$SCR_DIR/zarmok.scr"
SCR_WIN="C:\\$SCR_DIR_NAME\\zarmok.scr"

for text in README.txt LICENSE.txt; do
  [ "$(grep -c $'\r$' "$SCR_DIR/$text")" = "$(wc -l <"$SCR_DIR/$text")" ] ||
    fail "$text has lines without Windows' line end"
done
readme=$(tr -d '\r' <"$SCR_DIR/README.txt")
for phrase in "choose Install" "choose Test" "choose Configure" "beside zarmok.scr" \
  '%APPDATA%\Zarmok\zarmok.scr.ini' "Delete zarmok.scr" "each monitor"; do
  grep -qF "$phrase" <<<"$readme" || fail "README.txt does not say '$phrase'"
done
grep -q "all rights are reserved" "$SCR_DIR/LICENSE.txt" || fail "LICENSE.txt lacks the programs' notice"
grep -q "winpthreads" "$SCR_DIR/LICENSE.txt" || fail "LICENSE.txt lacks the runtime's notice"

expected="String1=Zarmok
Icon=100
Translation=0411 1200
ProductName=Zarmok
FileDescription=Zarmok スクリーン セーバー
FileVersion=$version
ProductVersion=$version"
start_xvfb 800x600
resources=$(probe resources "$SCR_WIN") || fail "the program's resources cannot be read"
[ "$resources" = "$expected" ] || fail "the program shows Windows: $resources"
grep -aq '<longPathAware[^>]*>true</longPathAware>' "$SCR" || fail "the manifest does not declare long paths"

printf '[Zarmok]\r\nStopOnMouseMove=0\r\nStopOnMouseClick=0\r\n' >"$(ini_file)"
start_saver /s
wait_drawn
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "the unpacked saver did not end on a key"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE of the unpacked saver"
echo "ok"
