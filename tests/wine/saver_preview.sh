#!/usr/bin/env bash
# The preview in a host's pane: the host's dialog (class #32770, of another process, unaware of
# the DPI scale as an older host is) has the pane as a borderless child control. "/p <pane>",
# "/p:<pane>" and "-p:<pane>" each make a child TDesktopWindow of the pane, which FindWindowA
# does not count as a running saver, covering the pane exactly; a close request ends it with
# exit code 0. The preview ignores keys, clicks and movements, a full-screen /s still starts
# beside it, and it ends with exit code 0 within a second of the host destroying its dialog.
# Wine 8 shows nothing that a window draws into a child of another process's window (a child
# window of a test program that paints red stays unseen too), so the preview's steps are
# counted from its measurements instead of its pixels. Wine gives a child window its parent's
# DPI awareness whatever the thread's, so only Windows can show a preview made in another: here
# the preview is made and placed through the pane's awareness, and must still cover it exactly.
source "$(dirname "$0")/_lib.sh"
start_xvfb 800x600
install_saver

wine "$ZARMOK_PROBE_PATH" host 152 112 "$(win_path "$WORK/host")" unaware >/dev/null 2>&1 &
CLEANUP_PIDS+=($!)
for i in $(seq 100); do [ -s "$WORK/host" ] && break; sleep 0.1; done
read -r pane dialog < <(tr -d '\r' <"$WORK/host")
[ -n "$pane" ] && [ -n "$dialog" ] || fail "the host's dialog did not open"
pane_rect=$(probe rect "$pane")
read -r left top right bottom <<<"$pane_rect"

# start_preview ARGS...: starts the preview; sets CHILD and checks where and what it is.
start_preview() {
  ZARMOK_STATS=1 start_saver "$@"
  CHILD=
  for i in $(seq 100); do
    CHILD=$(probe child "$pane" TDesktopWindow || true)
    [ -n "$CHILD" ] && break
    sleep 0.1
  done
  [ -n "$CHILD" ] || fail "no TDesktopWindow inside the pane for $*"
  ! probe find TDesktopWindow >/dev/null || fail "$* made a top-level saver window"
  read -r style _ _ parent _ < <(probe style "$CHILD")
  [ $((0x$style & 0x40000000)) -ne 0 ] || fail "not a child window for $*: style $style"
  [ $((0x$style & 0x80000000)) -eq 0 ] || fail "a child with the pop-up style for $*: $style"
  [ "$parent" = "$pane" ] || fail "the parent is $parent, not the pane $pane, for $*"
  [ "$(probe rect "$CHILD")" = "$pane_rect" ] ||
    fail "the preview covers $(probe rect "$CHILD"), not the pane's $pane_rect, for $*"
  [ "$(probe client "$CHILD")" = "$((right - left)) $((bottom - top))" ] ||
    fail "the preview's client area is $(probe client "$CHILD") for $*"
}

for form in "/p:$pane" "-p:$pane"; do
  start_preview "$form"
  probe post "$CHILD" close || fail "could not ask the preview of $form to close"
  wait_exit "$SAVER_PID" 10 || fail "a close request did not end the preview of $form"
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the preview of $form"
done

start_preview /p "$pane"
for what in key click move; do
  probe post "$CHILD" "$what" || fail "could not post $what"
done
xdotool mousemove $((left + 50)) $((top + 50)) click 1 key space mousemove $((left + 80)) $((top + 60))
sleep 2
kill -0 "$SAVER_PID" || fail "input ended the preview"
[ "$(probe enabled "$dialog")" = 1 ] || fail "the preview disabled the host's dialog"

# Beside a preview a full-screen saver still starts.
wine "$SCR_WIN" /s >/dev/null 2>&1 &
full=$!
CLEANUP_PIDS+=($full)
wait_active "$(wait_saver_window 20)"
xdotool mousemove 10 10 key space
wait_exit "$full" 10 || fail "the full-screen saver beside the preview did not end"
kill -0 "$SAVER_PID" || fail "the full-screen saver's key ended the preview"

touch "$WORK/host.end"
# Wine takes about 2 s to destroy a top-level window on a server without a window manager.
for i in $(seq 1000); do [ -e "$WORK/host.gone" ] && break; sleep 0.01; done
[ -e "$WORK/host.gone" ] || fail "the host's dialog was not destroyed"
gone_at=$(date +%s%N)
wait_exit "$SAVER_PID" 5 || fail "the preview outlived its pane"
elapsed=$((($(date +%s%N) - gone_at) / 1000000))
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE when the pane went"
[ "$elapsed" -lt 1000 ] || fail "the preview took $elapsed ms to end after its pane"
steps=$(tr -d '\r' <"$WORK/err" | sed -n 's/^zarmok stats: \([0-9]*\) steps.*/\1/p')
[ -n "$steps" ] && [ "$steps" -gt 60 ] || fail "the preview took ${steps:-no} steps"
echo "ok ($elapsed ms after the pane, $steps steps)"
