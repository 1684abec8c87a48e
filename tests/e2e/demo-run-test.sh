#!/usr/bin/env bash
# End-to-end runs of demo.exe under Wine on a small virtual screen (scripts/demo-harness.sh).
#   demo-run-test.sh to-end   DEMO CAPTURE  runs to its own end at 107.58 s of music and exits 0;
#                                           the picture reaches the screen on the way
#   demo-run-test.sh escape   DEMO CAPTURE  Escape in the middle ends it with 0 promptly
#   demo-run-test.sh no-sound DEMO CAPTURE  without a sound server the clock stays at 0, so it
#                                           keeps running until Escape ends it with 0
# "Promptly" is one second on top of the frames already on their way to the screen: the turn
# that sees Escape still draws and presents its frame, and the frames queued before it finish
# first. The time of one frame at this size is measured with demo-capture; with a GPU it is a
# few milliseconds, on a software rasteriser it is seconds.
set -u
mode=$1
demo=$2
capture=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
size=320x180
framesInFlight=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

value() { sed -n "s/^$1=//p" "$work/report" | tail -n1; }
fail() { echo "FAIL: $*"; cat "$work/report"; exit 1; }

# Milliseconds of GPU time of one frame at the test's size.
frame_ms() {
  bash "$here/scripts/session.sh" --no-sound bash "$here/scripts/wine-run.sh" "$capture" \
    --width "${size%x*}" --height "${size#*x}" --from 20 --to 20 --out "$work/frame" 2>/dev/null |
    tr -d '\r' | awk '$1 == "frame" && $3 == "ms" { printf "%d", $2 + 0.5 }'
}

case "$mode" in
  to-end)
    bash "$here/scripts/demo-harness.sh" --size $size --timeout 200 "$demo" \
      sleep:30 shot:"$work/shot.png" exit:170 >"$work/report"
    [ "$(value exit_code)" = 0 ] || fail "demo.exe did not exit with 0"
    run=$(value run_ms)
    # The clock is the audio position: the run cannot end before 107.58 s of music.
    [ "$run" -ge 107580 ] || fail "ended after $run ms, before the music's end"
    [ "$(value shot_max)" -gt 0 ] || fail "the screen was black 30 s into the run"
    echo "ran to its end in $run ms"
    ;;
  escape|no-sound)
    sound=()
    [ "$mode" = no-sound ] && sound=(--no-sound)
    frame=$(frame_ms)
    [ -n "$frame" ] || fail "demo-capture gave no frame time"
    bash "$here/scripts/demo-harness.sh" "${sound[@]}" --size $size --timeout 200 "$demo" \
      sleep:15 key:Escape exit:120 >"$work/report"
    [ "$(value exit_code)" = 0 ] || fail "demo.exe did not exit with 0 after Escape"
    run=$(value run_ms)
    after=$(value exit_after_key_ms)
    [ -n "$after" ] || fail "demo.exe ended before Escape"
    limit=$(( 1000 + framesInFlight * frame ))
    [ "$after" -le "$limit" ] || fail "left $after ms after Escape (frame $frame ms, limit $limit ms)"
    echo "left $after ms after Escape (frame $frame ms, limit $limit ms), run $run ms"
    ;;
  *)
    echo "unknown mode $mode"; exit 2 ;;
esac
exit 0
