#!/usr/bin/env bash
# Renders the frames at 2, 10, 40, 70 and 105 s with demo-capture at 320 x 180, with the picture
# of every draw pass, on the Direct3D 11 that NIMBRA_D3D picks (scripts/direct3d.sh), and
# compares them with the references in tests/e2e/reference/, made with Wine's own:
#   - draw passes 0 to 4 (wave lines, focus blur, text layers, composite, blur), which owe
#     nothing to the scroller, are identical pixel for pixel (their hashes, passes.sha256).
#     Draw 0 draws with the compute pass's rotation state, so it vouches for that pass too.
#   - the scroller pass (draw 5, scroller_Ts.png) and the frame (frame_Ts.png) are within a
#     PSNR floor: DXVK and Wine's own Direct3D differ there at a few isolated pixels. Over 21
#     moments of the show (2 to 102 s, every 5 s) the lowest PSNR between
#     the two was 59.0 dB for the scroller and 60.4 dB for the frame at 320 x 180 (60.4 and
#     64.3 dB at 640 x 360); the floors below leave a tenfold and a threefold error to spare.
#     Before the scroller stopped drawing the cube faces turned away from the camera, these
#     five moments gave 37.3 to 40.4 dB and 42.6 to 45.2 dB, which the floors reject.
#   frames-test.sh path/to/demo-capture.exe            compare
#   frames-test.sh path/to/demo-capture.exe --update   write new references with Wine's own
#                                                      Direct3D (when the look changes on
#                                                      purpose; commit them)
set -u
exe=$1
update=${2:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
refs="$here/tests/e2e/reference"
times=(2 10 40 70 105)
width=320
height=180
SCROLLER_FLOOR_DB=50
FRAME_FLOOR_DB=55
samePasses="draw0 draw1 draw2 draw3 draw4"

for tool in convert compare sha256sum; do
  if ! command -v "$tool" >/dev/null; then
    echo "frames-test: $tool is missing; install it with scripts/setup.sh (Debian packages imagemagick, coreutils)"
    exit 1
  fi
done
if [ "$update" = --update ] && [ "${NIMBRA_D3D:-wined3d}" != wined3d ]; then
  echo "frames-test: the references are made with Wine's own Direct3D (NIMBRA_D3D=wined3d)"
  exit 2
fi

if [ -z "${NIMBRA_FRAMES_INNER:-}" ]; then
  export NIMBRA_FRAMES_INNER=1
  exec bash "$here/scripts/session.sh" --no-sound bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$*"; status=1; }
pixelHash() { convert "$1" rgb:- | sha256sum | cut -d' ' -f1; }
# keep FILE NAME: a captured picture that failed goes to build/NAME for a look.
keep() { cp "$1" "$here/build/$2" 2>/dev/null && echo "  the captured picture is in build/$2"; }
# withinFloor REFERENCE CAPTURED FLOOR WHAT: PSNR of the two pictures ("inf" when identical).
withinFloor() {
  local psnr
  psnr=$(compare -metric PSNR "$1" "$2" null: 2>&1)
  if [ "$psnr" = inf ] || { [[ "$psnr" =~ ^[0-9.]+$ ]] && awk -v p="$psnr" -v f="$3" 'BEGIN { exit !(p >= f) }'; }; then
    echo "$4: $psnr dB (floor $3 dB)"
  else
    fail "$4: PSNR '$psnr' dB, below the floor of $3 dB"
    return 1
  fi
}

[ "$update" = --update ] && : >"$work/passes.sha256"
for t in "${times[@]}"; do
  out="$work/$t"
  if ! bash "$here/scripts/wine-run.sh" "$exe" --width $width --height $height --fps 60 \
       --from "$t" --to "$t" --out "$out" --passes >"$work/log" 2>&1; then
    echo "capture at $t s failed:"; cat "$work/log"; status=1; continue
  fi
  frame="$out/frame_00000.png"
  if [ "$update" = --update ]; then
    mkdir -p "$refs"
    cp "$frame" "$refs/frame_${t}s.png"
    cp "$out/frame_00000_draw5.png" "$refs/scroller_${t}s.png"
    for pass in $samePasses; do
      echo "$(pixelHash "$out/frame_00000_$pass.png")  ${t}s $pass" >>"$work/passes.sha256"
    done
    echo "updated the references at $t s"
    continue
  fi
  for pass in $samePasses; do
    expected=$(awk -v w="${t}s" -v p="$pass" '$2 == w && $3 == p { print $1 }' "$refs/passes.sha256")
    if [ "$(pixelHash "$out/frame_00000_$pass.png")" = "$expected" ]; then
      echo "$pass at $t s: identical"
    else
      fail "$pass at $t s: not the reference's pixels"
      keep "$out/frame_00000_$pass.png" "${pass}_${t}s.actual.png"
    fi
  done
  withinFloor "$refs/scroller_${t}s.png" "$out/frame_00000_draw5.png" $SCROLLER_FLOOR_DB "scroller at $t s" ||
    keep "$out/frame_00000_draw5.png" "scroller_${t}s.actual.png"
  withinFloor "$refs/frame_${t}s.png" "$frame" $FRAME_FLOOR_DB "frame at $t s" ||
    keep "$frame" "frame_${t}s.actual.png"
done
[ "$update" = --update ] && cp "$work/passes.sha256" "$refs/passes.sha256"
exit $status
