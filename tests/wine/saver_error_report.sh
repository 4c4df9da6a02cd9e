#!/usr/bin/env bash
# The platform's report of an unhandled error is a message box with the exact Japanese title
# and text, readable on this prefix's code page 1252 (the W functions), and the program ends
# with exit code 1 once it is dismissed: a preview handle that is not an integer, an empty
# one, and one that names no window.
source "$(dirname "$0")/_lib.sh"
# The report's Japanese is a Japanese user's (Wine's user language follows LANG).
export LANG=ja_JP.UTF-8 LC_ALL=
start_xvfb 800x600
install_saver

# expect_report TEXT ARGS...: runs the saver with ARGS and checks the box and the exit code.
expect_report() {
  local text=$1 box texts
  shift
  start_saver "$@"
  box=$(probe wait '#32770' 20) || fail "no message box for $*"
  texts=$(probe texts "$box")
  [ "$(sed -n 1p <<<"$texts")" = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ" ] || fail "the box for $* is titled: $(sed -n 1p <<<"$texts")"
  grep -qxF "$text" <<<"$texts" || fail "the box for $* does not say '$text': $texts"
  probe post "$box" close || fail "could not dismiss the box"
  wait_exit "$SAVER_PID" 10 || fail "$* did not end after the report"
  [ "$EXIT_CODE" = 1 ] || fail "exit code $EXIT_CODE after the report for $*"
  probe gone '#32770' 5 || fail "a message box is left"
}

expect_report "'12x' は整数ではありません" /p 12x
expect_report "'' は整数ではありません" /p
expect_report "ｳｨﾝﾄﾞｳの作成でｴﾗｰが発生しました" /p 987654
echo "ok"
