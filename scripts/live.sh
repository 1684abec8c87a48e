#!/usr/bin/env bash
# scripts/live.sh [DEMO-SYNC OPTIONS]: the live workflow (`make live`). Writes the content's keys
# for a sync editor to out/demo.rocket, then runs demo-sync.exe under Wine on this display with
# the tree's own files live: the editor's keys (GNU Rocket protocol, port 1338), the shaders of
# content/shaders (compiled with scripts/compile-shader.sh when saved) and content/song/song.xm
# (played from disk and loaded again when a tracker saves it). Extra options go to demo-sync.
# It draws with DXVK, as `make run` does, unless NIMBRA_D3D says otherwise (scripts/direct3d.sh).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/direct3d.sh"
d3dChoose dxvk auto || exit 2
sync="$here/build/win64/demo-sync.exe"
dump="$here/build/host/tools/timeline-dump/timeline-dump"
for file in "$sync" "$dump"; do
  if [ ! -x "$file" ] && [ ! -f "$file" ]; then echo "live: no $file (make build)" >&2; exit 1; fi
done
if [ -z "${DISPLAY:-}" ]; then
  echo "live: demo-sync needs a display to work in (DISPLAY is not set)" >&2
  exit 1
fi
mkdir -p "$here/out"
"$dump" rocket "$here/out/demo.rocket" || exit 1
echo "live: open out/demo.rocket in the sync editor; edit content/shaders/*.hlsl and content/song/song.xm"
echo "live: drawn with $nimbraD3d (NIMBRA_D3D=wined3d or dxvk picks)"
exec bash "$here/scripts/wine-run.sh" "$sync" --shaders "$here/content/shaders" \
  --song "$here/content/song/song.xm" "$@"
