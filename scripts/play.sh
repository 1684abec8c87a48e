#!/usr/bin/env bash
# scripts/play.sh: plays build/win64/demo.exe under Wine (`make run`).
# With a display (DISPLAY set) the demo runs there with the desktop's sound, until it ends.
# Without one it runs on a private virtual display and null sound sink (scripts/session.sh,
# through scripts/demo-harness.sh): screenshots go to out/, and a summary is printed. When the
# demo plays sound it runs to its end by itself; while no sound plays its clock stands at 0 and
# only Escape would end it, so it gets Escape after a few seconds. Screenshots start once the
# first frame is on the screen.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/build/win64/demo.exe"
if [ ! -f "$demo" ]; then echo "play: no $demo (make win64)" >&2; exit 1; fi

if [ -n "${DISPLAY:-}" ]; then
  start=$(date +%s%N)
  bash "$here/scripts/wine-run.sh" "$demo"
  code=$?
  echo "play: demo.exe ended with exit code $code after $(( ($(date +%s%N) - start) / 1000000 )) ms"
  exit $code
fi

out="$here/out"
mkdir -p "$out"
size=${PLAY_SIZE:-640x360}
echo "play: no display; running demo.exe on a private ${size} display with a null sound sink"
report=$(bash "$here/scripts/demo-harness.sh" --size "$size" --timeout 200 --record "$out/play.wav" \
  "$demo" picture:30 sleep:1 shot:"$out/play-1.png" sleep:2 shot:"$out/play-2.png" \
  sleep:2 shot:"$out/play-3.png" exit-if-sound:150 key:Escape exit:10)
status=$?
value() { echo "$report" | sed -n "s/^$1=//p" | head -n1; }
echo "play: window        $(value window_name) $(value window_geometry), up after $(value window_ms) ms"
echo "play: sound         $(value sound)$( [ -s "$out/play.wav" ] && echo ", recorded to out/play.wav")"
echo "$report" | sed -n 's/^shot=/play: screenshot    /p'
echo "play: exit code     $(value exit_code) after $(value run_ms) ms"
exit $status
