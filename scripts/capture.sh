#!/usr/bin/env bash
# scripts/capture.sh [--size WxH] [--fps F] [--from S] [--to E] [--film FILE] [--out DIR]
#                    [--program EXE] [demo-capture options...]
# Renders the presentation offline with demo-capture.exe, from S to E seconds (the whole show
# unless told), and streams its frames straight into ffmpeg, which writes an MP4 film: H.264
# (libx264, yuv420p, BT.709), the soundtrack in AAC stereo, the index at the front
# (faststart). No frame lands on disk: demo-capture writes raw RGB to its standard output,
# which is ffmpeg's input, and the soundtrack to a WAV in a folder beside the film that goes
# when the film is done.
#   make video     1920 x 1080, 30 frames a second, out/video.mp4
#   make capture   1280 x 720, 60 frames a second, out/demo.mp4
# With --out DIR it writes numbered PNG frames and the soundtrack into DIR instead, and no film;
# with --out DIR and --film FILE both, from one render.
# While it renders, a progress line gives the frames done and an estimate of the time left.
# It draws with the faster Direct3D 11 unless NIMBRA_D3D says otherwise: DXVK, on the
# machine's Vulkan GPU when it has one, else on lavapipe (scripts/direct3d.sh). Without a GPU
# this takes long; the pass timings demo-capture prints at the end are relative figures there.
# Other options go to demo-capture (for example --set NAME=VALUE).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
source scripts/direct3d.sh
d3dChoose dxvk auto
size=1280x720
fps=60
from=0
to=107.58
film=out/demo.mp4
filmGiven=
pictures=
program=build/win64/demo-capture.exe
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --film) film=$2; filmGiven=1; shift 2 ;;
    --out) pictures=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    *) break ;;
  esac
done
width=${size%x*}
height=${size#*x}
# The frames the capture makes: from, from + 1/fps, ... below to (one when they are equal).
total=$(awk -v from="$from" -v to="$to" -v rate="$fps" 'BEGIN {
  n = (to - from) * rate; c = int(n); if (c < n) c++; if (c < 1) c = 1; print c }')

# demo-capture's folder (--out) gets the soundtrack, and the PNG frames unless only filming.
filming=1
[ -n "$pictures" ] && [ -z "$filmGiven" ] && filming=
if [ -z "$filming" ]; then
  work=$pictures
  mkdir -p "$work"
  out=$work
  echo "capture: $total frames of $size at $fps a second into $work"
else
  mkdir -p "$(dirname "$film")"
  work=$(mktemp -d "$(dirname "$film")/.capture.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  out=${pictures:-$work}
  echo "capture: $total frames of $size at $fps a second into $film${pictures:+ and $pictures}"
fi
log=$work/capture.log
args=(--width "$width" --height "$height" --fps "$fps" --from "$from" --to "$to" --out "$out" "$@")
[ -n "$filming" ] && [ -n "$pictures" ] && args+=(--pictures)
export DXVK_LOG_LEVEL=info
run=(bash scripts/wine-run.sh "$program" "${args[@]}")
[ -n "${DISPLAY:-}" ] || run=(bash scripts/session.sh --no-sound "${run[@]}")

# The stream: rows of 8-bit RGB, top first, frame after frame. The conversion to 4:2:0 takes
# Lanczos chroma and full-precision rounding (thin coloured lines lose less colour) into BT.709,
# which the film is tagged with, as players take HD video to be. ffmpeg opens the soundtrack
# after the first frame has come, and demo-capture writes it whole before that frame.
encode=(ffmpeg -nostdin -loglevel error -nostats -progress "$work/progress" -stats_period 2 -y
  -f rawvideo -pixel_format rgb24 -video_size "$size" -framerate "$fps" -i pipe:0
  -i "$out/soundtrack.wav" -map 0:v -map 1:a
  -vf "scale=flags=lanczos+accurate_rnd+full_chroma_int:out_color_matrix=bt709:out_range=tv,format=yuv420p"
  -c:v libx264 -crf 15 -colorspace bt709 -color_primaries bt709 -color_trc bt709
  -c:a aac -b:a 256k -ac 2 -shortest -movflags +faststart "$film")
film() {
  set +e
  "${run[@]}" --film - 2>"$log" | "${encode[@]}" 2>"$work/encode.log"
  echo "${PIPESTATUS[*]}" >"$work/status"
}
# framesDone: how many frames are written, in pictures or through the encoder.
framesDone() {
  if [ -z "$filming" ]; then
    find "$work" -name 'frame_?????.png' | wc -l
  else
    { grep '^frame=' "$work/progress" 2>/dev/null || echo frame=0; } | tail -n1 | cut -d= -f2
  fi
}

start=$(date +%s)
if [ -z "$filming" ]; then
  "${run[@]}" >"$log" 2>&1 &
else
  film &
fi
capture=$!
# Progress: on a terminal one line rewritten in place, in a log a line every minute.
last=0
while kill -0 "$capture" 2>/dev/null; do
  sleep 5
  done=$(framesDone)
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
status=0
wait "$capture" || status=$?
if [ -n "$filming" ]; then
  read -r captured encoded <"$work/status"
  # ffmpeg ends with 0 even when bytes on the stream made no whole frame: any error it prints
  # fails the film.
  if [ "$encoded" != 0 ] || [ -s "$work/encode.log" ]; then
    cat "$work/encode.log" >&2
    echo "capture: ffmpeg failed" >&2
    status=1
  fi
  # A capture that stopped early leaves a short film that must not pass for the whole one.
  [ "$captured" = 0 ] || status=1
  [ "$status" = 0 ] || rm -f "$film"
fi
if [ "$status" != 0 ]; then
  cat "$log"
  echo "capture: demo-capture failed" >&2
  exit 1
fi
elapsed=$(( $(date +%s) - start ))
echo "capture: drawn with $(d3dDevice "$log")"
grep -E '^[0-9]+ frames|frame work|^  frame ' "$log" | sed 's/^ */capture: /'
awk -v n="$total" -v e="$elapsed" 'BEGIN { printf "capture: %.2f s a frame over all, %d min %d s\n", e / n, e / 60, e % 60 }'
[ -z "$filming" ] || echo "capture: $film, $(( $(stat -c %s "$film") / 1000000 )) MB"
