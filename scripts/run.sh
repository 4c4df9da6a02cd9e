#!/usr/bin/env bash
# Installs what is needed, builds Zarmok (Release) and runs the saver full-screen on $DISPLAY:
# any key, a click or a mouse movement ends it. Without a display it says so and renders a
# picture of the swarm with the headless renderer instead.
#   bash scripts/run.sh [zarmok arguments, default /s]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$root/build/release"

bash scripts/deps.sh
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARMOK_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the saver on display $DISPLAY; press any key to end it."
  exec "$build/src/app/zarmok" "${@:-/s}"
fi

picture="$root/build/zarmok-saver.png"
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set), so the saver cannot run full-screen here."
else
  echo "The X display '$DISPLAY' cannot be opened, so the saver cannot run full-screen here."
fi
echo "Rendering 600 idle steps of the swarm at 1024x768 without a display instead..."
"$build/tools/render/zarmok-render" --size 1024x768 --steps 600 --png "$picture"
echo "Picture written to $picture"
