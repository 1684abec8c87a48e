#!/usr/bin/env bash
# scripts/bench-film.sh [SECONDS] [FROM] [WxH...]: the film's time per frame at each size
# (default 640x360 1280x720 1920x1080), 30 fps, streamed through ffmpeg as `make video` makes
# it, over SECONDS seconds of the show from FROM (default 2 s from 40 s); and, the peer from the
# same run, the old route at the first size: PNG frames on disk, then encoded. Each figure is
# (wall time of SECONDS - wall time of one frame) / (frames - 1), so start-up and the first
# frame's shader compilation are left out; the whole show (107.58 s) is extrapolated from it.
# On DXVK as `make video` draws (NIMBRA_D3D and NIMBRA_VULKAN as there). Needs `make win64`.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-2}
from=${2:-40}
shift 2 2>/dev/null || shift $#
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(640x360 1280x720 1920x1080)
fps=30
work=$(mktemp -d "$here/out/.bench-film.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
to=$(awk -v f="$from" -v s="$seconds" 'BEGIN { print f + s }')
frames=$(awk -v s="$seconds" -v r="$fps" 'BEGIN { print int(s * r + 0.5) }')
showFrames=3228

# wall SIZE TO [OPTIONS]: milliseconds of a capture.sh run from FROM to TO at SIZE.
wall() {
  local size=$1 end=$2 start
  shift 2
  start=$(date +%s%N)
  bash "$here/scripts/capture.sh" --size "$size" --fps $fps --from "$from" --to "$end" "$@" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; return 1; }
  echo $(( ($(date +%s%N) - start) / 1000000 ))
}

# report WHAT ONE MANY [FILE]: seconds per frame and the whole show, with the size of FILE.
report() {
  local bytes=0
  [ -n "${4:-}" ] && bytes=$(stat -c %s "$4")
  awk -v what="$1" -v one="$2" -v many="$3" -v n="$frames" -v show=$showFrames -v b="$bytes" -v s="$seconds" 'BEGIN {
    per = (many - one) / 1000 / (n - 1); whole = one / 1000 + per * (show - 1)
    printf "  %-28s %6.2f s a frame   whole show about %3d min %02d s", what, per, whole / 60, whole % 60
    if (b > 0) printf ", %.1f MB (%.1f MB over %g s)", b / s * 107.58 / 1e6, b / 1e6, s
    printf "\n" }'
}

echo "bench-film: $frames frames at $fps fps from $from s on this machine (shared: the figures move with its load)"
for size in "${sizes[@]}"; do
  one=$(wall "$size" "$from" --film "$work/one.mp4") || exit 1
  many=$(wall "$size" "$to" --film "$work/film.mp4") || exit 1
  report "film $size" "$one" "$many" "$work/film.mp4"
done
# The peer: PNG frames, then ffmpeg reads them back (the route before the stream).
size=${sizes[0]}
pngFilm() {
  local ms
  ms=$(wall "$size" "$1" --out "$work/frames") || return 1
  local start=$(date +%s%N)
  ffmpeg -loglevel error -y -framerate $fps -i "$work/frames/frame_%05d.png" -i "$work/frames/soundtrack.wav" \
    -c:v libx264 -pix_fmt yuv420p -crf 15 -c:a aac -b:a 256k -shortest "$work/png.mp4" || return 1
  rm -rf "$work/frames"
  echo $(( ms + ($(date +%s%N) - start) / 1000000 ))
}
one=$(pngFilm "$from") || exit 1
many=$(pngFilm "$to") || exit 1
report "peer: PNG frames $size" "$one" "$many"
