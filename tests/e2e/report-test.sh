#!/usr/bin/env bash
# report-test.sh DEMO-CAPTURE.exe: demo-capture --report --debug-layer at 160 x 90. With the
# session's sound sink: "compatibility: ok" first, then the adapters (the device's marked), driver,
# feature levels, the primary screen's output, sound device, the debug layer's account and a GPU
# time for every pass at each of the four moments. Without a sound server: the problem is named and the exit status is 1.
set -u
exe=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/full"; exit 1; }

bash "$here/scripts/session.sh" bash "$here/scripts/wine-run.sh" "$exe" \
  --report --debug-layer --width 160 --height 90 >"$work/full" 2>&1
status=$?
# Wine's, DXVK's and the X server's own notes go to the same console (an X error's details are
# indented too); the report's lines are ours.
grep -E '^(compatibility|adapter|driver|feature level|output|sound|screen|debug layer|GPU time|  (pass|compute|draw|final copy|frame|no timestamps) )' \
  "$work/full" >"$work/report"
[ "$status" = 0 ] || fail "exit status $status"
[ "$(head -n1 "$work/report")" = "compatibility: ok" ] || fail "the first line is not the verdict"
for line in '^adapter [0-9]+: .+ \(vendor 0x[0-9a-f]+, device 0x[0-9a-f]+\), [0-9]+ MiB of its own memory, [0-9]+ MiB shared <- the device$' \
  '^driver: ' '^feature level: (11_[01]|12_[01]) \(the demo.s device: 11_0\)$' \
  '^output: .* \(the primary screen, on adapter [0-9]+\), [0-9]+ x [0-9]+, .*[0-9]+ dpi' '^sound: the default device opened' \
  '^debug layer: (the device has no info queue|[0-9]+ messages, 0 of them)' \
  '^GPU time per pass at 160 x 90, ms'; do
  grep -Eq "$line" "$work/report" || fail "no line $line"
done
# Ten passes and the frame, each with four figures.
rows=$(grep -Ec '^  (compute|draw|final copy|frame) .*( +[0-9]+\.[0-9]{3}){4}$' "$work/report")
[ "$rows" = 11 ] || fail "$rows rows of pass times, not 11"

# The sound device is Direct3D's business on neither implementation: once is enough, on the
# faster one.
if [ "${NIMBRA_D3D:-wined3d}" = dxvk ]; then
  bash "$here/scripts/session.sh" --no-sound bash "$here/scripts/wine-run.sh" "$exe" \
    --report --width 160 --height 90 >"$work/full" 2>&1
  status=$?
  grep -E '^(compatibility|sound)' "$work/full" >"$work/report"
  [ "$status" = 1 ] || fail "without sound: exit status $status"
  [ "$(head -n1 "$work/report")" = "compatibility: problem: no sound device" ] || fail "without sound: verdict"
  grep -q '^sound: no device opened' "$work/report" || fail "without sound: no sound line"
fi
echo "report as expected"
