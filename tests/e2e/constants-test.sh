#!/usr/bin/env bash
# demo-capture --constants T at 320 x 180: the first frame's 864 bytes of constant data as
# 216 lines "OFFSET VALUE", with the header of that first frame (counter 0, elapsed time T)
# and the projection's fixed depth terms.
set -u
exe=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash "$here/scripts/session.sh" --no-sound bash "$here/scripts/wine-run.sh" "$exe" \
  --width 320 --height 180 --constants 1.5 >"$work/constants" 2>"$work/err"
status=$?
fail() { echo "FAIL: $*"; cat "$work/constants" "$work/err"; exit 1; }
[ "$status" = 0 ] || fail "demo-capture exited with $status"
at() { awk -v o="$1" '$1 == o { print $2 }' "$work/constants"; }

[ "$(wc -l <"$work/constants")" = 216 ] || fail "expected 216 lines"
awk 'BEGIN { bad = 0 } $1 != (NR - 1) * 4 || NF != 2 { bad = 1 } END { exit bad }' "$work/constants" ||
  fail "offsets are not 0, 4, ..., 860"
[ "$(at 0)" = 1.5 ] || fail "time"
[ "$(at 4)" = 0 ] || fail "frame counter"
[ "$(at 8)" = 1.5 ] || fail "elapsed time of the first frame"
[ "$(at 12)" = 1.77777779 ] || fail "aspect ratio"
[ "$(at 16)" = 320 ] && [ "$(at 20)" = 180 ] || fail "resolution"
[ "$(at 24)" = 0.00312500005 ] && [ "$(at 28)" = 0.00555555569 ] || fail "inverse resolution"
# Projection (row 2, column 2), (2, 3) and (3, 2): the fixed depth range terms.
[ "$(at 136)" = -1.00010002 ] && [ "$(at 140)" = -1 ] && [ "$(at 152)" = -0.10001 ] || fail "projection"
# The previous frame's three matrices are zero in the first frame.
awk '$1 >= 416 && $1 < 608 && $2 != 0 { exit 1 }' "$work/constants" || fail "last matrices of the first frame"
echo "216 words, header as expected"
