#!/usr/bin/env bash
# demo-capture --passes and --set on a tiny picture (64 x 36, one frame at 12 s, where the
# title logo and the text layers are up):
#   - every draw pass leaves a picture of the capture's size beside the frame, and only they
#     (the compute pass and the final copy have none); the text layers' picture is not black;
#   - --set NEGT=1 changes the composite and what is made from it, and no pass before it;
#   - --set in the constant data: the value at the variable's place, and a set camera variable
#     moves the camera's matrices and nothing else;
#   - an unknown variable is refused with its name;
#   - the pictures reach a folder named beyond ASCII.
set -u
exe=$1
here=$(cd "$(dirname "$0")/../.." && pwd)

if [ -z "${NIMBRA_CAPTURE_INNER:-}" ]; then
  export NIMBRA_CAPTURE_INNER=1
  exec bash "$here/scripts/session.sh" --no-sound bash "$0" "$@"
fi

for tool in identify compare convert; do
  command -v $tool >/dev/null ||
    { echo "FAIL: $tool is missing: install ImageMagick (apt-get install imagemagick, or run scripts/setup.sh)"; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# The pictures go to a folder named beyond ASCII and the ANSI code page, as a user's folders may
# be; Wine reads the command line in the locale's encoding.
work="$root/capture-ä-ω"
mkdir "$work"
export LC_ALL=C.UTF-8
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
capture() { bash "$here/scripts/wine-run.sh" "$exe" --width 64 --height 36 "$@"; }

# The frame with every pass's picture, then the same with NEGT held at 1.
capture --from 12 --to 12 --out "$work/plain" --passes >"$work/plain.log" 2>&1 ||
  { cat "$work/plain.log"; echo "FAIL: capture with --passes"; exit 1; }
capture --from 12 --to 12 --out "$work/negative" --passes --set NEGT=1 >"$work/negative.log" 2>&1 ||
  { cat "$work/negative.log"; echo "FAIL: capture with --set NEGT=1"; exit 1; }

draws="draw0 draw1 draw2 draw3 draw4 draw5 draw6 draw7"
for pass in $draws; do
  file="$work/plain/frame_00000_$pass.png"
  if [ ! -f "$file" ]; then fail "no picture of $pass"; continue; fi
  size=$(identify -format "%w x %h" "$file")
  [ "$size" = "64 x 36" ] || fail "$pass is $size, not 64 x 36"
done
extra=$(cd "$work/plain" && ls frame_00000_*.png | grep -v -E "_($(echo $draws | tr ' ' '|'))\.png$")
[ -z "$extra" ] || fail "pictures of passes that draw none: $extra"
[ -f "$work/plain/frame_00001_draw0.png" ] && fail "pictures of a frame that was not captured"

brightest=$(convert "$work/plain/frame_00000_draw2.png" -format "%[fx:maxima]" info:)
awk -v m="$brightest" 'BEGIN { exit !(m > 0.2) }' || fail "the text layers' picture is black (brightest $brightest)"

differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" != 0 ]; }
for pass in draw0 draw1 draw2 draw5 draw7; do
  differs "$work/plain/frame_00000_$pass.png" "$work/negative/frame_00000_$pass.png" &&
    fail "NEGT changed $pass, which does not read it"
done
for pass in draw3 draw4 draw6; do
  differs "$work/plain/frame_00000_$pass.png" "$work/negative/frame_00000_$pass.png" ||
    fail "NEGT=1 left $pass as it was"
done
differs "$work/plain/frame_00000.png" "$work/negative/frame_00000.png" || fail "NEGT=1 left the frame as it was"

# Constant data: WAVEAMP is variable 19 (offset 608 + 4 x 19 = 684), CameraPosX variable 0.
capture --constants 1.5 >"$work/constants" 2>"$work/constants.err" || fail "--constants"
capture --constants 1.5 --set WAVEAMP=0.625 --set CameraPosX=-4 >"$work/set" 2>"$work/set.err" ||
  fail "--constants with --set"
at() { awk -v o="$2" '$1 == o { print $2 }' "$1"; }
[ "$(at "$work/set" 684)" = 0.625 ] || fail "WAVEAMP is $(at "$work/set" 684), not 0.625"
[ "$(at "$work/set" 608)" = -4 ] || fail "CameraPosX is $(at "$work/set" 608), not -4"
changed=$(paste -d ' ' "$work/constants" "$work/set" | awk '$2 != $4 { print $1 }')
# The view matrix (32), the view-projection (160) and their inverses (224, 352) follow the camera.
echo "$changed" | awk '$1 == 608 || $1 == 684 { next }
  ($1 >= 32 && $1 < 96) || ($1 >= 160 && $1 < 288) || ($1 >= 352 && $1 < 416) { moved++; next }
  { print "unexpected change at offset " $1; bad = 1 }
  END { if (!moved) { print "the camera did not move"; bad = 1 } exit bad }' || fail "camera setting"

capture --constants 1 --set NOSUCHVARIABLE=1 >"$work/unknown" 2>&1
status=$?
[ "$status" = 2 ] || fail "an unknown variable gave exit code $status, not 2"
grep -q "no variable named NOSUCHVARIABLE" "$work/unknown" || { cat "$work/unknown"; fail "the refusal does not name the variable"; }

[ "$failures" = 0 ] && echo "pass pictures and settings as expected"
exit $((failures > 0))
