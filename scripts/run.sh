#!/usr/bin/env bash
# Builds Zarmok (Release) and runs the saver full-screen where the user is: in a Wayland session
# (WAYLAND_DISPLAY) the program starts and picks its back end itself, else it runs on the X
# display (DISPLAY); any key, a click or a mouse movement ends it. With neither it says so and
# renders a picture of the swarm with the headless renderer instead. Only the packages that
# building and running need are installed, through sudo when the caller is not root; the build
# and the saver are the caller's own, run in the caller's session: run it as yourself.
#   bash scripts/run.sh [zarmok arguments, default /s]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$root/build/release"

bash scripts/deps.sh --saver

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARMOK_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zarmok zarmok-render
saver="$build/src/app/zarmok"

# A Wayland display is a socket, named absolutely or in the runtime folder.
wayland_socket=${WAYLAND_DISPLAY:-}
if [ -n "$wayland_socket" ] && [ "${wayland_socket#/}" = "$wayland_socket" ]; then
  wayland_socket="${XDG_RUNTIME_DIR:-/nonexistent}/$wayland_socket"
fi
if [ -n "$wayland_socket" ] && [ -S "$wayland_socket" ]; then
  echo "Starting the saver in the Wayland session $WAYLAND_DISPLAY; press any key to end it."
  exec "$saver" "${@:-/s}"
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the saver on the X display $DISPLAY; press any key to end it."
  exec "$saver" "${@:-/s}"
fi

if [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ]; then
  echo "No display: neither WAYLAND_DISPLAY nor DISPLAY is set, so the saver cannot run here."
fi
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "The Wayland display '$WAYLAND_DISPLAY' cannot be reached ($wayland_socket is no socket)."
fi
if [ -n "${DISPLAY:-}" ]; then
  echo "The X display '$DISPLAY' cannot be opened."
fi
picture="$root/build/zarmok-saver.png"
echo "Rendering 600 idle steps of the swarm at 1024x768 without a display instead..."
"$build/tools/render/zarmok-render" --size 1024x768 --steps 600 --png "$picture"
echo "Picture written to $picture"
