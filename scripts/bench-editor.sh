#!/usr/bin/env bash
# scripts/bench-editor.sh [SECONDS] [WxH]: the time demo-sync's editor takes a frame on the frame
# thread (starting ImGui's frame, building its views, drawing them; by the clock, so its processor
# time is at most that) beside the whole frame's time, with
# the editor shown over the picture for SECONDS (default 20) at WxH (default 1280x720). Under
# Wine on the Direct3D 11 NIMBRA_D3D picks (default DXVK, the faster here); needs `make win64`.
# Runs in a Wine prefix of its own (build/wineprefix-bench).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
size=${2:-1280x720}
sync="$here/build/win64/demo-sync.exe"
if [ ! -f "$sync" ]; then echo "bench-editor: build first (make win64)" >&2; exit 1; fi
export NIMBRA_D3D=${NIMBRA_D3D:-dxvk} NIMBRA_WINEPREFIX="$here/build/wineprefix-bench"
bash "$here/scripts/wine-run.sh" --version >/dev/null 2>&1
run() {
  local log=$(mktemp)
  bash "$here/scripts/wine-run.sh" "$sync" --editor --timings --width "${size%x*}" --height "${size#*x}" \
    --shaders none --retry-ms 3600000 2>"$log" &
  local pid=$! window=""
  for _ in $(seq 600); do
    window=$(xdotool search --name '^demo-sync$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  sleep "$seconds"
  [ -n "$window" ] && xdotool windowfocus "$window" key Escape 2>/dev/null
  timeout 60 tail --pid="$pid" -f /dev/null
  grep -o 'editor .* frames' "$log" || { echo "bench-editor: no timings; the log:" >&2; cat "$log" >&2; }
  rm -f "$log"
}
export -f run
export here sync seconds size
echo "editor benchmark at $size on $NIMBRA_D3D, $seconds s with the editor shown"
bash "$here/scripts/session.sh" --no-sound --size "$size" -- bash -c run
