#!/usr/bin/env bash
# Settings folders the program cannot use: the folder is a file, it links to a folder the user
# may not write, or there is no home (HOME unset or relative). A missing configuration folder is
# not one of them: the first save makes it (dialog_ok_new_home). In each the saver runs with the
# defaults and ends on a key, OK in the dialog shows the "Zarmok" error box and leaves the
# dialog open, and nothing is made or changed anywhere.
source "$(dirname "$0")/_lib.sh"
start_xvfb
SAVER=$(install_saver)
mkdir -p "$WORK/cwd"
chmod 0755 "$WORK" "$WORK/bin" "$WORK/cwd"


# listing: every entry below the work folder with its type and mode, to compare before and after.
# The homes and the current folder are in it: the dialog's toolkit, left alone, would make its
# preferences there (~/.fltk, or .fltk below the current folder under a relative HOME).
listing() {
  (cd "$WORK" && find . -path ./shots -prune -o ! -name err ! -name 'listing.*' \
    -printf '%y %m %p\n' | sort)
}

# saver_runs ENV...: "/s" under that environment shows its window and ends on a key with code 0.
saver_runs() {
  (cd "$WORK/cwd" && as_user env "$@" "$SAVER" /s 2>"$WORK/err") &
  local pid=$!
  CLEANUP_PIDS+=("$pid")
  wait_for_window TDesktopWindow 10 >/dev/null || fail "$*: no saver window: $(cat "$WORK/err")"
  sleep 0.5
  xdotool key a
  wait_exit "$pid" 5 || fail "$*: a key did not end the saver"
  [ "$EXIT_CODE" = 0 ] || fail "$*: exit code $EXIT_CODE: $(cat "$WORK/err")"
  [ ! -s "$WORK/err" ] || fail "$*: the saver said: $(cat "$WORK/err")"
}

# save_refused SHOT ENV...: "/c" and Enter show the error box; Enter closes it, Escape the dialog.
save_refused() {
  local shot=$1
  shift
  (cd "$WORK/cwd" && as_user env "$@" "$SAVER" /c 2>"$WORK/err") &
  local pid=$!
  CLEANUP_PIDS+=("$pid")
  wait_for_window TBugsPramSet >/dev/null || fail "$*: no dialog: $(cat "$WORK/err")"
  xdotool mousemove 460 250 key Return
  local box=
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --class '^TErrorBox$' 2>/dev/null | head -n1 || true)
    [ -n "$box" ] && break
    sleep 0.05
  done
  [ -n "$box" ] || fail "$*: no error box"
  kill -0 "$pid" 2>/dev/null || fail "$*: the refused save closed the dialog"
  sleep 0.3
  mkdir -p "$WORK/shots"
  import -window "$box" "$WORK/shots/$shot.png"
  [ -z "${ZARMOK_SHOTS:-}" ] || cp "$WORK/shots/$shot.png" "$ZARMOK_SHOTS/"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 5)) key Return
  sleep 0.3
  xdotool mousemove 460 250 key Escape
  wait_exit "$pid" 5 || fail "$*: Escape did not close the dialog"
  [ "$EXIT_CODE" = 0 ] || fail "$*: exit code $EXIT_CODE: $(cat "$WORK/err")"
}

# each_case NAME ENV...: both runs, and the work folder exactly as before.
each_case() {
  local name=$1
  shift
  listing >"$WORK/listing.before"
  saver_runs "$@"
  save_refused "$name" "$@"
  listing >"$WORK/listing.after"
  diff "$WORK/listing.before" "$WORK/listing.after" >&2 || fail "$name: files changed"
}

home="$WORK/user"
mkdir -p "$home/.config"

# The settings folder is a file.
printf '[Zarmok]\nMaxBugs=7\n' >"$home/.config/zarmok"
chown -R 65534:65534 "$home" 2>/dev/null || true
each_case folder-is-a-file HOME="$home" XDG_CONFIG_HOME=
[ "$(cat "$home/.config/zarmok")" = "$(printf '[Zarmok]\nMaxBugs=7')" ] || fail "the file changed"
rm "$home/.config/zarmok"

# The settings folder links to a folder the user may not write, with the user's file in it.
mkdir -p "$WORK/locked"
printf '[Zarmok]\nMaxBugs=7\n' >"$WORK/locked/zarmok.ini"
chmod 0444 "$WORK/locked/zarmok.ini"
chmod 0555 "$WORK/locked"
ln -s "$WORK/locked" "$home/.config/zarmok"
each_case link-to-locked-folder HOME="$home" XDG_CONFIG_HOME=
chmod 0755 "$WORK/locked"
rm "$home/.config/zarmok"

# A home the user may write, with its configuration folder: the saver, the preview and the
# dialog closed with Cancel make nothing anywhere, and the toolkit no ~/.fltk.
chown -R 65534:65534 "$home" 2>/dev/null || true
listing >"$WORK/listing.before"
saver_runs HOME="$home" XDG_CONFIG_HOME=
(cd "$WORK/cwd" && as_user env HOME="$home" XDG_CONFIG_HOME= "$SAVER" /c 2>"$WORK/err") &
pid=$!
CLEANUP_PIDS+=("$pid")
wait_for_window TBugsPramSet >/dev/null || fail "usable-home: no dialog: $(cat "$WORK/err")"
# The focus passes over every kind of control, each drawing its focus box.
xdotool mousemove 460 250 key Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
sleep 0.3
xdotool key Escape
wait_exit "$pid" 5 || fail "usable-home: Escape did not close the dialog"
[ "$EXIT_CODE" = 0 ] || fail "usable-home: exit code $EXIT_CODE: $(cat "$WORK/err")"
listing >"$WORK/listing.after"
[ ! -e "$home/.fltk" ] || fail "usable-home: the toolkit made $home/.fltk"
diff "$WORK/listing.before" "$WORK/listing.after" >&2 || fail "usable-home: files changed"

# No home, and a relative one naming a folder the user may write below the current folder, with
# no configuration folder in it: nothing is read or made below the folder the program starts in,
# though a first save makes a missing configuration folder in a real home.
each_case no-home -u HOME -u XDG_CONFIG_HOME
mkdir -p "$WORK/cwd/user"
chown 65534:65534 "$WORK/cwd/user" 2>/dev/null || true
each_case relative-home HOME=user XDG_CONFIG_HOME=
echo "settings_bad_places: ok"
