#!/usr/bin/env bash
# The Debian package as a user gets it: built from scratch, free of lintian errors, unpacked
# into a throw-away root, and its programs run from there under a private Xvfb server as an
# ordinary user: "zarmok /c" and Enter save the 13 keys into that user's own settings file
# (folder 0700, file 0600), "zarmok /s" runs and ends on a key.
# Usage: tests/package/package_test.sh [BUILD_DIR]   (default build/package)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$source_dir/build/package}

bash "$source_dir/scripts/package.sh" "$build" >/dev/null
deb=$(ls "$build"/zarmok_1.04-1_amd64.deb)

# The helpers of the integration tests drive the unpacked program.
export ZARMOK_PATH="$build/package-root/usr/bin/zarmok"
rm -rf "$build/package-root"
dpkg -x "$deb" "$build/package-root"
root=$build/package-root
source "$source_dir/tests/integration/_lib.sh"

lintian --no-tag-display-limit "$deb" >"$WORK/lintian" 2>&1 || true
if grep -q '^E:' "$WORK/lintian"; then
  cat "$WORK/lintian" >&2
  fail "lintian reports errors"
fi

for path in usr/bin/zarmok usr/bin/zarmok-render usr/bin/zarmok-hack usr/share/man/man1/zarmok.1.gz \
  usr/share/man/man1/zarmok-render.1.gz usr/share/applications/zarmok.desktop \
  usr/share/doc/zarmok/copyright usr/share/icons/hicolor/48x48/apps/zarmok.png \
  usr/share/icons/hicolor/64x64/apps/zarmok.png usr/share/icons/hicolor/128x128/apps/zarmok.png \
  usr/share/doc/zarmok/examples/zarmok-idle.desktop; do
  [ -f "$root/$path" ] || fail "the package has no $path"
done
[ -d "$root/usr/lib/zarmok/host" ] || fail "the package has no host-library folder"
# Every page in docs/man is installed, and each formats without a warning.
for page in "$source_dir"/docs/man/*.1; do
  installed="$root/usr/share/man/man1/$(basename "$page").gz"
  [ -f "$installed" ] || fail "$(basename "$page") is not installed"
  for locale in C C.UTF-8; do
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$installed" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page") in $locale: $warnings"
  done
  # One date form in every page.
  grep -q '^\.TH [^ ]* 1 "[A-Z][a-z]* [0-9]\{4\}" ' "$page" || fail "$(basename "$page")'s date"
done
# zarmok(1) shows its Japanese names where the locale can show them, and where it cannot leaves
# neither a gap nor empty parentheses behind.
man_in() { LC_ALL=$1 MANWIDTH=80 man -l "$root/usr/share/man/man1/zarmok.1.gz"; }
man_in C.UTF-8 | grep -qF 'Complex (複雑).' || fail "zarmok(1) lacks its Japanese in C.UTF-8"
man_in C | grep -q 'Simple to Complex\.' || fail "zarmok(1) in C: $(man_in C | grep Simple)"
! man_in C | grep -qP '[^\x00-\x7F]|\(\s*\)|Panel\\\\' ||
  fail "zarmok(1) in C keeps Japanese, empty parentheses or a doubled backslash"
[ "$(dpkg-deb -f "$deb" Recommends)" = "fonts-ipafont-gothic | fonts-noto-cjk" ] ||
  fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
grep -qx 'Name\[ja\]=Zarmok' "$root/usr/share/applications/zarmok.desktop" || fail "Name[ja]"
grep -qx 'Exec=zarmok /c' "$root/usr/share/applications/zarmok.desktop" || fail "desktop entry Exec"
grep -qx 'Exec=zarmok --idle 600' "$root/usr/share/doc/zarmok/examples/zarmok-idle.desktop" ||
  fail "autostart entry Exec"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libx11-6 libfltk1.3 libpng16-16; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
file "$root/usr/share/icons/hicolor/64x64/apps/zarmok.png" | grep -q 'PNG image data, 64 x 64' ||
  fail "the 64x64 icon is not a 64x64 PNG"

# An ordinary user with a home of their own and no settings yet.
start_xvfb
chmod 0755 "$WORK"
chown -R 65534:65534 "$HOME"

as_user "$ZARMOK_PATH" /c 2>"$WORK/err" &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TBugsPramSet >/dev/null || fail "no dialog: $(cat "$WORK/err")"
xdotool mousemove 460 250 key Return
wait_exit "$pid" 5 || fail "Enter did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "the dialog ended with $EXIT_CODE: $(cat "$WORK/err")"
ini=$(settings_file)
[ -f "$ini" ] || fail "no settings file at $ini"
[ "$(grep -c = "$ini")" = 13 ] || fail "not the 13 keys: $(cat "$ini")"
[ "$(stat -c '%a %u' "$(dirname "$ini")")" = "700 $(as_user id -u)" ] ||
  fail "folder: $(stat -c '%a %u' "$(dirname "$ini")")"
[ "$(stat -c '%a %u' "$ini")" = "600 $(as_user id -u)" ] || fail "file: $(stat -c '%a %u' "$ini")"

as_user "$ZARMOK_PATH" /s 2>"$WORK/err" &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TDesktopWindow 10 >/dev/null || fail "no saver window: $(cat "$WORK/err")"
sleep 0.5
xdotool key a
wait_exit "$pid" 5 || fail "a key did not end the saver"
[ "$EXIT_CODE" = 0 ] || fail "the saver ended with $EXIT_CODE: $(cat "$WORK/err")"
no_saver_left
echo "package_test: ok"
