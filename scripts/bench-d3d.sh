#!/usr/bin/env bash
# scripts/bench-d3d.sh [WxH...]: seconds per frame of demo-capture on both Direct3D 11
# implementations (scripts/direct3d.sh), Wine's own and DXVK, in the same run, at each size
# (default 320x180 and 640x360). Needs `make win64`.
#
# Each implementation captures one frame at 2 s (start-up and first frame) and then six frames
# spread over the show (2, 22, ..., 102 s); the difference of the two wall times over five frames
# is its time per frame, start-up and the first frame's shader compilation excluded.
# NIMBRA_LAVAPIPE_ICD=MANIFEST runs DXVK on another lavapipe (to compare versions).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
capture="$here/build/win64/demo-capture.exe"
if [ ! -f "$capture" ]; then echo "bench-d3d: build first (make win64)" >&2; exit 1; fi
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(320x180 640x360)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export NIMBRA_WINEPREFIX="$here/build/wineprefix-bench"

# wallSeconds SIZE TO: milliseconds of wall time of a capture from 2 s to TO s, a frame every 20 s.
wallSeconds() {
  local size=$1 to=$2 start end
  start=$(date +%s%N)
  bash "$here/scripts/wine-run.sh" "$capture" --width "${size%x*}" --height "${size#*x}" --fps 0.05 \
    --from 2 --to "$to" --out "$work/frames" >"$work/log" 2>&1 || { cat "$work/log" >&2; return 1; }
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
export -f wallSeconds
export here capture work

echo "demo-capture seconds per frame (mean of frames at 2, 22, ..., 102 s) under Wine on this machine"
for size in "${sizes[@]}"; do
  for d3d in wined3d dxvk; do
    # The prefix is made (and DXVK put in) before anything is timed.
    NIMBRA_D3D=$d3d bash "$here/scripts/wine-run.sh" --version >/dev/null 2>&1
    # A first, untimed capture starts the Wine server and warms the caches, which would
    # otherwise all count against the first timed one.
    figures=$(NIMBRA_D3D=$d3d bash "$here/scripts/session.sh" --no-sound bash -c \
      "wallSeconds $size 2 >/dev/null && wallSeconds $size 2 && wallSeconds $size 106") || { echo "bench-d3d: $d3d failed at $size" >&2; exit 1; }
    one=$(echo "$figures" | sed -n 1p)
    six=$(echo "$figures" | sed -n 2p)
    awk -v d="$d3d" -v s="$size" -v a="$one" -v b="$six" \
      'BEGIN { printf "  %-8s %-8s start-up and first frame %6.2f s, then %6.2f s per frame\n", s, d, a / 1000, (b - a) / 5000 }'
  done
done
