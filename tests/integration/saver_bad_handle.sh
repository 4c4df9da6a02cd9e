#!/usr/bin/env bash
# "/p" with a handle that is not an integer, or that names no window, ends with exit code 1
# after the unhandled-error report: the message on stderr and in a box titled
# "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ", which waits for the user.
source "$(dirname "$0")/_lib.sh"
# The report's Japanese is the Japanese locale's.
export LANG=ja_JP.UTF-8 LC_ALL= LC_MESSAGES= LANGUAGE=
start_xvfb 640x480
SAVER=$(install_saver)

# expect_report MESSAGE ARGS...: runs the program, dismisses the box, checks code and stderr.
expect_report() {
  local message=$1
  shift
  start_saver "$@"
  local box=""
  for _ in $(seq 100); do
    box=$(xdotool search --class '^TErrorBox$' 2>/dev/null | head -n1 || true)
    [ -n "$box" ] && break
    kill -0 "$SAVER_PID" 2>/dev/null || break
    sleep 0.05
  done
  [ -n "$box" ] || fail "no error box for '$*': $(cat "$WORK/err")"
  kill -0 "$SAVER_PID" || fail "the program did not wait for the box"
  xprop -id "$box" _NET_WM_NAME | grep -qF '"ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ"' || fail "box title: $(xprop -id "$box" _NET_WM_NAME)"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
  wait_exit "$SAVER_PID" 5 || fail "the box did not close on Enter"
  [ "$EXIT_CODE" = 1 ] || fail "exit code $EXIT_CODE for '$*'"
  grep -qF "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ: $message" "$WORK/err" || fail "stderr for '$*': $(cat "$WORK/err")"
  no_saver_left
}

expect_report "'abc' は整数ではありません" /p abc
expect_report "'' は整数ではありません" /p
expect_report "'0x200001' は整数ではありません" -p 0x200001
expect_report "'12345 ' は整数ではありません" /p "12345 "
# A valid integer that names no window.
expect_report "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました" /p 12345
expect_report "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました" /p '$7FFFFFFF'

# Without a display no window can be made, the dialog's no more than the saver's: the same
# report on stderr (no box can be shown) and exit code 1.
for mode in /c /s /p; do
  code=0
  env -u DISPLAY "$SAVER" $mode 123 >"$WORK/out" 2>"$WORK/err" || code=$?
  [ "$code" = 1 ] || fail "exit code $code for $mode without a display"
  grep -qxF "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ: ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました" "$WORK/err" ||
    fail "stderr for $mode without a display: $(cat "$WORK/err")"
done
echo "PASS"
