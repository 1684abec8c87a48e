#!/usr/bin/env bash
# scripts/play.sh: plays build/win64/demo.exe under Wine (`make run`).
# With a display (DISPLAY set) the demo runs there with the desktop's sound, until it ends.
# Without one it runs unattended on a private virtual display and null sound sink
# (scripts/session.sh, through scripts/harness.py) for the whole 107.58 s: screenshots at
# a few moments of the music go to out/, the sound to out/play.wav, and a summary is printed.
# While no sound plays its clock stands at 0 and only Escape would end it, so it then gets
# Escape after the screenshots. Both ways the number of frames shown is counted from Wine's
# trace of the Present calls.
#
# It draws with DXVK unless NIMBRA_D3D says otherwise (scripts/direct3d.sh): on the machine's
# Vulkan GPU when it has one (NIMBRA_VULKAN=auto), else on lavapipe, which is still faster than
# Wine's own Direct3D on the processor. NIMBRA_D3D=wined3d plays it the way it always was.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/build/win64/demo.exe"
if [ ! -f "$demo" ]; then echo "play: no $demo (make win64)" >&2; exit 1; fi
source "$here/scripts/direct3d.sh"
d3dChoose dxvk auto || exit 2

out="$here/out"
mkdir -p "$out"
trace="$out/play-trace.log"
# Only the Present calls are traced, one line per frame shown: Wine's DXGI's, or under DXVK
# Wine's Vulkan's (which traces no drawing commands); DXVK names the device it chose.
if [ "$nimbraD3d" = dxvk ]; then
  export WINEDEBUG="-all,trace+vulkan" DXVK_LOG_LEVEL=info
  presented='thunk64_vkQueuePresentKHR'
else
  export WINEDEBUG="-all,trace+dxgi"
  presented='swapchain_Present'
fi
frames() { grep -c "$presented" "$trace" 2>/dev/null || echo 0; }

if [ -n "${DISPLAY:-}" ]; then
  start=$(date +%s%N)
  bash "$here/scripts/wine-run.sh" "$demo" 2>"$trace"
  code=$?
  echo "play: demo.exe ended with exit code $code after $(( ($(date +%s%N) - start) / 1000000 )) ms, $(frames) frames"
  echo "play: drawn with $(d3dDevice "$trace")"
  exit $code
fi

size=${PLAY_SIZE:-640x360}
echo "play: no display; running demo.exe on a private ${size} display with a null sound sink"
# Screenshots about 2, 10, 40, 70 and 95 s into the music: they start once the first frame is
# on the screen, and the clock starts with the first frame.
report=$(python3 "$here/scripts/harness.py" --size "$size" --timeout 200 --record "$out/play.wav" \
  --log "$trace" "$demo" picture:30 \
  sleep:2 shot:"$out/play-1.png" sleep:8 shot:"$out/play-2.png" sleep:30 shot:"$out/play-3.png" \
  sleep:30 shot:"$out/play-4.png" sleep:25 shot:"$out/play-5.png" exit-if-sound:60 key:Escape exit:60)
status=$?
value() { echo "$report" | sed -n "s/^$1=//p" | head -n1; }
echo "play: window        $(value window_name) $(value window_geometry), up after $(value window_ms) ms"
echo "play: sound         $(value sound)$( [ -s "$out/play.wav" ] && echo ", recorded to out/play.wav")"
echo "$report" | sed -n 's/^shot=/play: screenshot    /p'
echo "play: frames        $(frames)"
echo "play: drawn with    $(d3dDevice "$trace")"
echo "play: exit code     $(value exit_code) after $(value run_ms) ms"
exit $status
