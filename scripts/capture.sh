#!/usr/bin/env bash
# `make capture`: renders the whole presentation offline at 1280 x 720 and 60 frames per
# second with demo-capture.exe, then joins the frames and the soundtrack into out/demo.mp4.
# The software rasteriser of a machine without a GPU takes a long time for this; the pass
# timings it prints at the end are relative figures there.
# Any demo-capture option given here replaces the default (for example --to 10).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
frames=out/capture
rm -rf "$frames"
mkdir -p "$frames"
args=(--width 1280 --height 720 --fps 60 --from 0 --to 107.58 --out "$frames" "$@")
if [ -n "${DISPLAY:-}" ]; then
  bash scripts/wine-run.sh build/win64/demo-capture.exe "${args[@]}"
else
  bash scripts/session.sh --no-sound bash scripts/wine-run.sh build/win64/demo-capture.exe "${args[@]}"
fi
ffmpeg -loglevel error -y -framerate 60 -i "$frames/frame_%05d.png" -i "$frames/soundtrack.wav" \
  -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 256k -shortest out/demo.mp4
echo "capture: out/demo.mp4"
