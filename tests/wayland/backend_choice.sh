#!/usr/bin/env bash
# Which back end serves a start in a Wayland session. The compositor has the layer shell: the
# full-screen saver is Wayland's; ZARMOK_BACKEND=x11 forces X11. A preview and the settings
# dialog are X windows: without an X display they end with the window-creation report and say
# why on stderr; with one (XWayland's, here an Xvfb) the X11 back end serves them. A session
# whose compositor cannot be reached is X11's.
source "$(dirname "$0")/_lib.sh"
# The report's Japanese is the Japanese locale's.
export LANG=ja_JP.UTF-8 LC_ALL= LC_MESSAGES= LANGUAGE=
start_sway
write_settings '[Zarmok]'
created='ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました'

# expect_error WHAT PATTERN ARGS...: the program ends with 1 and PATTERN on stderr.
expect_error() {
  local what=$1 pattern=$2
  shift 2
  local code=0
  as_user "$@" 2>"$WORK/err" || code=$?
  [ "$code" = 1 ] || fail "$what: exit $code"
  grep -q -- "$pattern" "$WORK/err" || fail "$what: stderr lacks '$pattern': $(cat "$WORK/err")"
  echo "$what: exit 1, $(tail -n1 "$WORK/err")"
}

expect_error "preview without an X display" "no preview pane" "$SAVER" /p 1234
grep -q -- "$created" "$WORK/err" || fail "the preview's refusal is not the window-creation report"
expect_error "dialog without an X display" "needs an X display" "$SAVER" /c
expect_error "x11 forced" "X ディスプレイ" env ZARMOK_BACKEND=x11 "$SAVER" /s
expect_error "no compositor" "X ディスプレイ" env WAYLAND_DISPLAY=no-such-compositor "$SAVER" /s
expect_error "wayland forced, no compositor" "no compositor answers" \
  env ZARMOK_BACKEND=wayland WAYLAND_DISPLAY=no-such-compositor "$SAVER" /s
: >"$WORK/err"

# With an X display the preview is X11's, in the window named (here the root window).
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xwininfo >/dev/null; then
  Xvfb -displayfd 9 -nolisten tcp 9>"$WORK/xvfb.display" 2>"$WORK/xvfb.log" &
  CLEANUP_PIDS+=($!)
  for i in $(seq 100); do [ -s "$WORK/xvfb.display" ] && break; sleep 0.05; done
  [ -s "$WORK/xvfb.display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$WORK/xvfb.display")"
  root=$(xwininfo -root | awk '/Window id/ {print $4}')
  as_user exec_user env DISPLAY="$DISPLAY" "$SAVER" /p "$((root))" 2>"$WORK/err" &
  preview=$!
  CLEANUP_PIDS+=("$preview")
  for i in $(seq 100); do
    xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1 && break
    kill -0 "$preview" 2>/dev/null || fail "the preview ended: $(cat "$WORK/err")"
    sleep 0.05
  done
  xdotool search --class '^TDesktopWindow$' >/dev/null 2>&1 || fail "no X11 preview window"
  # How the X11 preview ends is the X11 tests' business.
  kill -TERM "$preview"
  wait_exit "$preview" 5 || fail "the preview did not end on SIGTERM"
  echo "preview with an X display: the X11 back end's window in the pane"
fi
echo "PASS"
