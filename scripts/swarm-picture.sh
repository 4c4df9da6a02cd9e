#!/usr/bin/env bash
# Makes the README's first picture: a few seconds of the swarm, drawn by zarmok-render from a
# fixed seed and settings (so the same picture comes out every time), as an animated WebP.
#   bash scripts/swarm-picture.sh [zarmok-render] [output, default docs/swarm.webp]
# Frames are every second step at 30 frames a second, which is the saver's own pace of 60 steps
# a second; the first two seconds, while the bugs are still small, are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
render=${1:-build/native/tools/render/zarmok-render}
out=${2:-docs/swarm.webp}
[ -x "$render" ] || { echo "swarm-picture.sh: no zarmok-render at $render (build first)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '[Zarmok]\nMaxBugs=8\nBugSize=20\n' >"$work/swarm.ini"
"$render" --seed 2 --size 480x300 --steps 600 --ini "$work/swarm.ini" \
  --frames "$work/frames" --every 2 2>/dev/null
frames=$(ls "$work/frames"/frame-*.png | sed -n '61,$p')
# Lossy at a quality that keeps the thin trails sharp on black; each frame only where it changed.
convert -delay 1x30 -loop 0 $frames -quality 75 -define webp:method=4 "$out"
echo "$out: $(identify "$out" | wc -l) frames, $(stat -c %s "$out") bytes"
