#!/usr/bin/env bash
# scripts/capture.sh [--size WxH] [--fps F] [--film FILE] [demo-capture options...]
# Renders the whole presentation offline with demo-capture.exe and joins the frames and the
# soundtrack into an MP4 film (H.264 and AAC, through ffmpeg):
#   make capture   1280 x 720, 60 frames a second, out/demo.mp4
#   make video     640 x 360, 30 frames a second, out/video.mp4
# While it renders, a progress line gives the frames done and an estimate of the time left.
# It draws with the faster Direct3D 11 unless NIMBRA_D3D says otherwise: DXVK, on the
# machine's Vulkan GPU when it has one, else on lavapipe (scripts/direct3d.sh). Without a GPU
# this takes long; the pass timings demo-capture prints at the end are relative figures there.
# Any demo-capture option given here replaces the default (for example --to 10).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
source scripts/direct3d.sh
d3dChoose dxvk auto
size=1280x720
fps=60
film=out/demo.mp4
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --film) film=$2; shift 2 ;;
    *) break ;;
  esac
done
frames="out/capture-$size"
rm -rf "$frames"
mkdir -p "$frames"
args=(--width "${size%x*}" --height "${size#*x}" --fps "$fps" --from 0 --to 107.58 --out "$frames" "$@")
# The frames the capture will write: from, from + 1/fps, ... below to (one when they are equal).
total=$(printf '%s\n' "${args[@]}" | awk '/^--from$/ { f = 1; next } /^--to$/ { t = 1; next } /^--fps$/ { r = 1; next }
  f { from = $0; f = 0 } t { to = $0; t = 0 } r { rate = $0; r = 0 }
  END { n = (to - from) * rate; c = int(n); if (c < n) c++; if (c < 1) c = 1; print c }')

echo "capture: $total frames of $size at $fps a second into $film"
export DXVK_LOG_LEVEL=info
run=(bash scripts/wine-run.sh build/win64/demo-capture.exe "${args[@]}")
[ -n "${DISPLAY:-}" ] || run=(bash scripts/session.sh --no-sound "${run[@]}")
start=$(date +%s)
"${run[@]}" >"$frames/capture.log" 2>&1 &
capture=$!
# Progress: on a terminal one line rewritten in place, in a log a line every minute.
last=0
while kill -0 "$capture" 2>/dev/null; do
  sleep 5
  done=$(find "$frames" -name 'frame_?????.png' | wc -l)
  elapsed=$(( $(date +%s) - start ))
  line=$(awk -v d="$done" -v n="$total" -v e="$elapsed" 'BEGIN {
    left = d > 0 ? e / d * (n - d) : 0
    printf "capture: %d of %d frames (%.0f%%), %d:%02d elapsed, about %d:%02d left", d, n, 100 * d / n,
           e / 60, e % 60, left / 60, left % 60 }')
  if [ -t 1 ]; then
    printf '\r%s ' "$line"
  elif [ $(( elapsed - last )) -ge 60 ]; then
    echo "$line"
    last=$elapsed
  fi
done
[ -t 1 ] && echo
if ! wait "$capture"; then
  cat "$frames/capture.log"
  echo "capture: demo-capture failed" >&2
  exit 1
fi
echo "capture: drawn with $(d3dDevice "$frames/capture.log")"
grep -E '^[0-9]+ frames|frame work|^  frame ' "$frames/capture.log" | sed 's/^ */capture: /'
mkdir -p "$(dirname "$film")"
ffmpeg -loglevel error -y -framerate "$fps" -i "$frames/frame_%05d.png" -i "$frames/soundtrack.wav" \
  -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 256k -shortest "$film"
echo "capture: $film after $(( ($(date +%s) - start) / 60 )) min $(( ($(date +%s) - start) % 60 )) s"
