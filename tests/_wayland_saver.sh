# The saver as the Wayland desktops' scripts run it (tests/wayland, tests/gnome): as the ordinary
# user their libraries' as_user and exec_user name, with its settings in that user's home.

# make_owned DIR: a folder of the test user's, mode 0700.
make_owned() {
  mkdir -p "$1"
  if [ "$(id -u)" = 0 ]; then chown 65534:65534 "$1"; fi
  chmod 0700 "$1"
}

# now_ms: the clock in milliseconds.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# write_settings LINE...: the saver's settings file.
write_settings() {
  as_user mkdir -p -m 0700 "$WORK/home/.config/zarmok"
  printf '%s\n' "$@" | as_user tee "$WORK/home/.config/zarmok/zarmok.ini" >/dev/null
}

# start_saver ARGS...: the private copy in the background, stderr in $WORK/err; sets SAVER_PID.
start_saver() {
  as_user exec_user "$SAVER" "$@" 2>"$WORK/err" &
  SAVER_PID=$!
  CLEANUP_PIDS+=("$SAVER_PID")
}
