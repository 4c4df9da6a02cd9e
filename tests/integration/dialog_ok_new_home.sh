#!/usr/bin/env bash
# A new user's first save: an ordinary user whose home has no .config yet (as a new account's
# home is made) opens the dialog and presses OK. The save makes ~/.config and its zarmok folder,
# each 0700 and the user's, and the settings file, 0600, holding the 13 keys; nothing else
# appears in the home.
source "$(dirname "$0")/_lib.sh"
start_xvfb
SAVER=$(install_saver)
# The ordinary user must reach the program; the home below is that user's alone.
chmod 0755 "$WORK" "$WORK/bin"
home="$WORK/newuser"
mkdir -m 0700 "$home"
chown 65534:65534 "$home" 2>/dev/null || true
owner=$(as_user id -u)

(cd "$home" && as_user env -u XDG_CONFIG_HOME HOME="$home" "$SAVER" /c 2>"$WORK/err") &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TBugsPramSet >/dev/null || fail "no dialog: $(cat "$WORK/err")"
[ -z "$(ls -A "$home")" ] || fail "opening the dialog made: $(ls -A "$home")"
# Keys go to the window under the pointer when no window manager runs.
xdotool mousemove 460 250 key Return
wait_exit "$pid" 5 || fail "Enter did not close the dialog (refused save?): $(cat "$WORK/err")"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE: $(cat "$WORK/err")"
[ ! -s "$WORK/err" ] || fail "the program said: $(cat "$WORK/err")"

ini="$home/.config/zarmok/zarmok.ini"
[ -f "$ini" ] || fail "no settings file; the home holds: $(cd "$home" && find . | sort)"
for entry in .config:700 .config/zarmok:700 .config/zarmok/zarmok.ini:600; do
  path="$home/${entry%:*}"
  facts=$(stat -c '%a %u' "$path")
  [ "$facts" = "${entry#*:} $owner" ] || fail "$path: mode and owner $facts"
done
[ "$(grep -c '=' "$ini")" = 13 ] || fail "the file holds: $(cat "$ini")"
grep -qx 'MaxBugs=3' "$ini" || fail "the file holds: $(cat "$ini")"
listing=$(cd "$home" && find . | sort | tr '\n' ' ')
[ "$listing" = ". ./.config ./.config/zarmok ./.config/zarmok/zarmok.ini " ] ||
  fail "the home holds: $listing"
echo "dialog_ok_new_home: ok"
