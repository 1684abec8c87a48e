#!/usr/bin/env bash
# Renders the frames at 2, 10, 40, 70 and 105 s with demo-capture at 320 x 180 and compares
# them with the reference pictures in tests/e2e/reference/.
#   frames-test.sh path/to/demo-capture.exe            compare
#   frames-test.sh path/to/demo-capture.exe --update   write new references (when the look
#                                                      changes on purpose; commit them)
# Both pictures are first reduced to a quarter of their size by averaging, which evens out
# single-pixel rounding of rasterisers and the fine grain of the noise effects; a pixel of the
# reduced pictures counts as different when a channel differs by more than FUZZ, and the test
# fails when more than MAX_DIFFERENT_PERMILLE of them differ. A moved, missing or recoloured
# element of the picture still fails it.
set -u
exe=$1
update=${2:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
refs="$here/tests/e2e/reference"
times=(2 10 40 70 105)
width=320
height=180
FUZZ=8%
MAX_DIFFERENT_PERMILLE=10

for tool in convert compare; do
  if ! command -v "$tool" >/dev/null; then
    echo "frames-test: $tool is missing; install it with scripts/setup.sh (Debian package imagemagick)"
    exit 1
  fi
done

if [ -z "${NIMBRA_FRAMES_INNER:-}" ]; then
  export NIMBRA_FRAMES_INNER=1
  exec bash "$here/scripts/session.sh" --no-sound bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for t in "${times[@]}"; do
  out="$work/$t"
  if ! bash "$here/scripts/wine-run.sh" "$exe" --width $width --height $height --fps 60 \
       --from "$t" --to "$t" --out "$out" >"$work/log" 2>&1; then
    echo "capture at $t s failed:"; cat "$work/log"; status=1; continue
  fi
  frame="$out/frame_00000.png"
  if [ "$update" = --update ]; then
    mkdir -p "$refs"
    cp "$frame" "$refs/frame_${t}s.png"
    echo "updated $refs/frame_${t}s.png"
    continue
  fi
  convert "$refs/frame_${t}s.png" -scale 25% "$work/reference.png"
  convert "$frame" -scale 25% "$work/captured.png"
  # compare prints the count of differing pixels on stderr and exits 1 when there are any.
  different=$(compare -metric AE -fuzz "$FUZZ" "$work/reference.png" "$work/captured.png" null: 2>&1)
  pixels=$(( width * height / 16 ))
  limit=$(( pixels * MAX_DIFFERENT_PERMILLE / 1000 ))
  if ! [[ "$different" =~ ^[0-9]+$ ]] || [ "$different" -gt "$limit" ]; then
    echo "frame at $t s: $different pixels differ (at most $limit allowed)"
    cp "$frame" "$here/build/frame_${t}s.actual.png" 2>/dev/null && \
      echo "  the captured frame is in build/frame_${t}s.actual.png"
    status=1
  else
    echo "frame at $t s: $different of $pixels reduced pixels differ"
  fi
done
exit $status
