#!/usr/bin/env bash
# screen-probe-test.sh SCREEN_PROBE SOURCE_DIR: the probe on a 64x32 display, first black, then
# with the root window filled with one colour (ImageMagick's display), against the brightest
# channel and the FNV-1a hash of those pixels worked out here.
set -u
probe=$1
src=$2
if [ -z "${NIMBRA_SESSION:-}" ]; then
  exec bash "$src/scripts/session.sh" --no-sound --size 64x32 bash "$0" "$@"
fi
expected() {  # R G B: "BRIGHTEST HASH" of a 64x32 screen of that colour
  python3 -c '
import sys
r, g, b = (int(v) for v in sys.argv[1:])
h = 0xcbf29ce484222325
for _ in range(64 * 32):
    for v in (r, g, b):
        h = ((h ^ v) * 0x100000001b3) % 2**64
print(max(r, g, b), "%016x" % h)' "$@"
}
failed=0
check() {  # WHAT ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then echo "ok: $1: $2"; else echo "FAIL: $1: '$2', expected '$3'"; failed=1; fi
}
check "black screen" "$("$probe")" "$(expected 0 0 0)"
display -window root xc:'rgb(10,200,30)'
check "screen of one colour" "$("$probe")" "$(expected 10 200 30)"
exit $failed
