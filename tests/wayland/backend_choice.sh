#!/usr/bin/env bash
# Which back end serves a start in a Wayland session. The compositor has the layer shell: the
# full-screen saver is Wayland's; ZARMOK_BACKEND=x11 forces X11. A preview and the settings
# dialog are X windows: without an X display they end with the window-creation report and say
# why on stderr; with one (XWayland's, here an Xvfb) the X11 back end serves them. A start that
# Wayland cannot serve (no runtime folder to find the socket in, no compositor at the socket) and
# X11 cannot either says why each could not, one line each. A compositor without the layer shell
# (weston) has no place for the desktop's background: --wallpaper says so.
source "$(dirname "$0")/_lib.sh"
# The report's Japanese is the Japanese locale's.
export LANG=ja_JP.UTF-8 LC_ALL= LC_MESSAGES= LANGUAGE=
start_sway
write_settings '[Zarmok]'
created='ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました'

# expect_error WHAT PATTERN... -- ARGS...: the program ends with 1, each PATTERN on stderr. The
# reports are the Japanese ones.
expect_error() {
  local what=$1 pattern code=0
  local -a patterns=()
  shift
  while [ "$1" != -- ]; do patterns+=("$1"); shift; done
  shift
  as_user env LANG=ja_JP.UTF-8 "$@" 2>"$WORK/err" || code=$?
  [ "$code" = 1 ] || fail "$what: exit $code"
  for pattern in "${patterns[@]}"; do
    grep -qF -- "$pattern" "$WORK/err" || fail "$what: stderr lacks '$pattern': $(cat "$WORK/err")"
  done
  echo "$what: exit 1, $(tr '\n' '|' <"$WORK/err")"
}

expect_error "preview without an X display" "$created" "Wayland にはプレビューを描く枠がありません" -- \
  "$SAVER" /p 1234
expect_error "dialog without an X display" "$created" "設定ダイアログは X のウィンドウです" -- "$SAVER" /c
expect_error "x11 forced" "X ディスプレイ" -- env ZARMOK_BACKEND=x11 "$SAVER" /s
expect_error "no runtime folder" "Wayland: XDG_RUNTIME_DIR" "X ディスプレイ" -- \
  env -u XDG_RUNTIME_DIR "$SAVER" /s
expect_error "no compositor" "Wayland: コンポジター '$WORK/run/no-such-compositor' に接続できません" \
  "X ディスプレイ" -- env WAYLAND_DISPLAY=no-such-compositor "$SAVER" /s
expect_error "wayland forced, no compositor" "$created" "'$WORK/run/no-such-compositor'" -- \
  env ZARMOK_BACKEND=wayland WAYLAND_DISPLAY=no-such-compositor "$SAVER" /s

# A compositor without the layer shell: the full-screen saver is the GNOME and weston tests'.
as_user exec_user weston --backend=headless-backend.so --socket=weston-test --idle-time=0 \
  >"$WORK/weston.log" 2>&1 &
CLEANUP_PIDS+=($!)
for i in $(seq 100); do [ -S "$WORK/run/weston-test" ] && break; sleep 0.05; done
[ -S "$WORK/run/weston-test" ] || fail "weston did not start: $(cat "$WORK/weston.log")"
expect_error "weston's background" "$created" \
  "'$WORK/run/weston-test' にはレイヤーシェル (zwlr_layer_shell_v1) がないため" -- \
  env WAYLAND_DISPLAY=weston-test "$SAVER" --wallpaper
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
