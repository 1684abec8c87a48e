#!/usr/bin/env bash
# demo-recording.sh DEMO.exe SOURCE_DIR
# Plays the whole demo once under Wine, in a display and null sound sink of its own, records the
# sink's monitor and compares the recording with the offline render of the same song
# (xmrender): the envelopes must correlate, the lag must stay constant, nothing may drop out, the
# sound must stop where the show ends, and demo.exe must exit with 0 by itself after 107.58 s.
# Takes about two minutes; needs the host build (build/host) for its tools.
#
# The display has no OpenGL, so the demo runs without a Direct3D device: its loop still reads the
# clock every turn and ends the show, but draws nothing. With a device, Wine's software
# rasteriser takes seconds of every core for one frame and starves Wine's own sound threads,
# which live in the demo's process; the recording then shows the machine's underruns rather
# than the demo's stream (a real GPU leaves the CPU to the sound). NIMBRA_RECORDING_RENDER=1
# plays it with the device anyway, the demo on its own cores, and loose limits.
# With NIMBRA_RECORDING_DIR set, the recording and the render are kept there.
set -u
demo=$1
src=$2
end=107.58

# Sound under Wine only keeps time when its threads, the sound server's and the recorder's get
# the processor when they ask. A private session at a real-time priority (scripts/session.sh)
# gives them that on a busy machine, where the system allows it (as root). Without it, the sink
# underruns on a machine that is busy with other work and the recording says nothing about the
# demo: wait (up to two minutes) until a two-second look at the processors finds at least half a
# core idle, else skip (exit code 77); the load average would remember the previous test for a
# minute. NIMBRA_RECORDING_FORCE=1 runs it regardless. The session is private, so that no other
# test's sound ends up in the recording; the runs beside the recording (demo-whole-runs.sh) start
# once it has started. The demo has a Wine prefix of its own, whose server is its own too.
render=${NIMBRA_RECORDING_RENDER:-}
export NIMBRA_WINEPREFIX=${NIMBRA_WINEPREFIX:-$src/build/wineprefix-recording}
# busyCores: how many cores' worth of time the machine spent busy over the next two seconds.
busyCores() {
  local a b
  a=$(head -n1 /proc/stat); sleep 2; b=$(head -n1 /proc/stat)
  awk -v a="$a" -v b="$b" -v n="$(nproc)" 'BEGIN {
    split(a, x); split(b, y); total = 0; idle = 0
    for (i = 2; i <= 9; i++) total += y[i] - x[i]
    idle = (y[5] - x[5]) + (y[6] - x[6])
    printf "%.2f", (total > 0 ? n * (total - idle) / total : 0) }'
}
if [ -z "${NIMBRA_RECORDING_SESSION:-}" ]; then
  cores=$(nproc)
  busy=0
  # Drawing on the software rasteriser at that priority would starve the machine.
  # Above the other timed runs (10), whose Wine start-up may take a core for seconds.
  if [ -z "$render" ] && chrt -r 20 true 2>/dev/null; then
    export NIMBRA_REALTIME=20
    echo "demo-recording: the sound, the display and the demo run at real-time priority 20"
  elif [ -z "${NIMBRA_RECORDING_FORCE:-}" ]; then
    for _ in $(seq 60); do
      busy=$(busyCores)
      awk -v b="$busy" -v c="$cores" 'BEGIN { exit !(b <= c - 0.5) }' && break
    done
    if ! awk -v b="$busy" -v c="$cores" 'BEGIN { exit !(b <= c - 0.5) }'; then
      echo "demo-recording: SKIPPED (code 77), the machine stayed busy for two minutes ($busy of $cores cores busy): Wine's sound would underrun and the recording would measure the machine, not the demo"
      exit 77
    fi
  fi
  [ -z "${NIMBRA_RECORDING_STARTED:-}" ] || touch "$NIMBRA_RECORDING_STARTED"
  display=(--no-gl)
  [ -n "$render" ] && display=(--size 320x180)
  NIMBRA_RECORDING_SESSION=1 exec bash "$src/scripts/session.sh" "${display[@]}" -- bash "$0" "$@"
fi

for tool in parec:pulseaudio-utils; do
  if ! command -v "${tool%%:*}" >/dev/null; then
    echo "demo-recording: ${tool%%:*} is missing; install it with scripts/setup.sh (Debian package ${tool#*:})" >&2
    exit 1
  fi
done
host=$src/build/host
xmrender=$host/tools/xmrender/xmrender
check=$host/tests/e2e/recording-check
for tool in "$xmrender" "$check"; do
  if [ ! -x "$tool" ]; then
    echo "demo-recording: $tool is missing; build the host tools first (make host)" >&2
    exit 1
  fi
done
if [ -z "${NIMBRA_SINK:-}" ]; then
  echo "demo-recording: no sound sink in this session" >&2
  exit 1
fi

# In memory where there is a tmpfs: a recorder that waits on a busy disk loses sound.
work=$(mktemp -d /dev/shm/nimbra-recording.XXXXXX 2>/dev/null || mktemp -d /tmp/nimbra-recording.XXXXXX)
recorder=""
cleanup() {
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
  if [ -n "${NIMBRA_RECORDING_DIR:-}" ]; then
    mkdir -p "$NIMBRA_RECORDING_DIR" && cp "$work"/*.wav "$NIMBRA_RECORDING_DIR"/
  fi
  rm -rf "$work"
}
trap cleanup EXIT

"$xmrender" "$src/content/song/song.xm" "$work/render.wav" --seconds 112 --loops 1 >/dev/null || exit 1

parec --device="$NIMBRA_SINK.monitor" --format=float32le --rate=44100 --channels=2 \
  --file-format=wav "$work/recording.wav" &
recorder=$!
# The sink and the recorder must not miss their turns while the demo renders on a busy machine:
# give them, and the demo, a head start over other work (only possible as root; else as is).
renice -n -10 -p "$recorder" "$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null)" >/dev/null 2>&1
sleep 1

priority=()
nice -n -5 true 2>/dev/null && priority=(nice -n -5)
started=$(date +%s.%N)
# With the software rasteriser, keep the demo off the last core and leave that to the sink and
# the recorder.
pin=()
limits=()
if [ -n "$render" ]; then
  # Wine's sound threads still share the demo's cores and underrun now and then; a turn on one
  # core takes seconds, so the end is seen late.
  limits=(--late 10 --spread 2000 --missing 1000)
fi
if [ -n "$render" ] && [ "$(nproc)" -ge 2 ] && command -v taskset >/dev/null; then
  last=$(( $(nproc) - 1 ))
  taskset -a -p -c "$last" "$recorder" >/dev/null 2>&1
  taskset -a -p -c "$last" "$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null)" >/dev/null 2>&1
  pin=(taskset -c "0-$(( last - 1 ))")
fi
"${pin[@]}" "${priority[@]}" bash "$src/scripts/wine-run.sh" "$demo"
status=$?
ended=$(date +%s.%N)
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null
recorder=""

elapsed=$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
printf 'demo.exe exited with %d after %.2f s\n' "$status" "$elapsed"
result=0
if [ "$status" != 0 ]; then
  echo "FAILED: demo.exe did not exit with 0"
  result=1
fi
if awk -v e="$elapsed" -v s="$end" 'BEGIN { exit !(e < s) }'; then
  echo "FAILED: demo.exe ended before the show did"
  result=1
fi
# A WAV header alone is 44 bytes: anything less than a second of sound means nothing arrived.
recorded=$(stat -c %s "$work/recording.wav" 2>/dev/null || echo 0)
if [ "$recorded" -lt $(( 44100 * 8 )) ]; then
  echo "FAILED: no sound recorded ($recorded bytes from the sink's monitor)"
  exit 1
fi
"$check" "$work/recording.wav" "$work/render.wav" "$end" "${limits[@]}" || result=1
exit $result
