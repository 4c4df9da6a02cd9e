# Shared by the test libraries of the X11 and Wine scripts: private X servers on free display
# numbers, waiting for a process's end, and counting a picture's drawn pixels. The sourcing
# library defines WORK (a private folder) and fail.

declare -a X_PIDS=()

# A font configuration that rejects every face with Japanese glyphs, as on a desktop without one.
NO_JAPANESE_FONTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/data/no-japanese-fonts.conf"

# start_display_server NAME SERVER ARGS...: starts an X server that picks a free display number
# (-displayfd), its log in $WORK/NAME.log; exports DISPLAY once it is ready.
start_display_server() {
  local name=$1 i
  shift
  "$@" -displayfd 9 -nolisten tcp -noreset 9>"$WORK/$name.display" 2>"$WORK/$name.log" &
  X_PIDS+=($!)
  for i in $(seq 200); do
    if [ -s "$WORK/$name.display" ]; then break; fi
    sleep 0.05
  done
  [ -s "$WORK/$name.display" ] || fail "$name did not start: $(cat "$WORK/$name.log")"
  export DISPLAY=":$(head -n1 "$WORK/$name.display")"
}

# stop_display_servers: ends every server this script started, newest first.
stop_display_servers() {
  local i
  for ((i = ${#X_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${X_PIDS[i]}" 2>/dev/null || true
    wait "${X_PIDS[i]}" 2>/dev/null || true
  done
}

# wait_exit PID TIMEOUT_S: waits for the process to end and sets EXIT_CODE; returns 1 when it
# is still running after the timeout. Call it directly, not in $(...): only this shell can
# collect its children's exit codes.
wait_exit() {
  local pid=$1 timeout=$2 i
  EXIT_CODE=
  for i in $(seq $((timeout * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_CODE=0
      wait "$pid" || EXIT_CODE=$?
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# pixel_stats FILE [GEOMETRY]: prints "<coloured pixels> <non-black pixels>" of a picture (or
# of the crop GEOMETRY of it); coloured means its channels differ by more than 40.
pixel_stats() {
  local file=$1 crop=${2:-}
  local args=("$file")
  if [ -n "$crop" ]; then args+=(-crop "$crop" +repage); fi
  convert "${args[@]}" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
      r = $3 + 0; g = $4 + 0; b = $5 + 0;
      hi = r; if (g > hi) hi = g; if (b > hi) hi = b;
      lo = r; if (g < lo) lo = g; if (b < lo) lo = b;
      if (hi > 0) lit++;
      if (hi - lo > 40) coloured++;
    } END { printf "%d %d\n", coloured, lit }'
}
