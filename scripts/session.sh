#!/usr/bin/env bash
# scripts/session.sh [--no-sound] [--no-gl] [--size WxH] COMMAND...
# Runs COMMAND with a virtual display (Xvfb) and a PulseAudio null sink of its own, both
# private to this run, then ends every process it started by its pid. The command's exit
# code is returned. Inside, DISPLAY, XDG_RUNTIME_DIR and NIMBRA_SINK are set.
# --no-gl starts the display without OpenGL (GLX), so Direct3D device creation under Wine fails.
# With NIMBRA_REALTIME=PRIORITY (1 to 99) the whole session runs at that real-time priority
# (SCHED_RR) where the system allows it (as root): for runs that keep time without drawing, so
# that other tests may load the machine meanwhile. A run that draws on the software rasteriser
# must not ask for it, as it would starve everything else. Inside, NIMBRA_REALTIME_GIVEN says
# whether it was given (yes or no).
set -u
if [ -n "${NIMBRA_REALTIME:-}" ] && [ -z "${NIMBRA_REALTIME_GIVEN:-}" ]; then
  if chrt -r "$NIMBRA_REALTIME" true 2>/dev/null; then
    NIMBRA_REALTIME_GIVEN=yes exec chrt -r "$NIMBRA_REALTIME" bash "$0" "$@"
  fi
  export NIMBRA_REALTIME_GIVEN=no
fi
sound=1
size=640x360
xvfbExtra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-sound) sound=0; shift ;;
    --size) size=$2; shift 2 ;;
    --no-gl) xvfbExtra=(-extension GLX); shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done

# A missing tool is a failed run that says how to get it, never a silent skip.
need() {
  if ! command -v "$1" >/dev/null; then
    echo "session: $1 is missing; install it with scripts/setup.sh (Debian package $2)" >&2
    exit 1
  fi
}
need Xvfb xvfb
if [ "$sound" = 1 ]; then
  need pulseaudio pulseaudio
  need pactl pulseaudio-utils
fi

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  [ -n "${runtime:-}" ] && rm -rf "$runtime"
}
trap cleanup EXIT

runtime=$(mktemp -d /tmp/nimbra-session.XXXXXX)
# Xvfb picks a free display number and writes it to the pipe.
exec 8> >(cat > "$runtime/display")
Xvfb -displayfd 8 -screen 0 "${size}x24" -nolisten tcp "${xvfbExtra[@]}" >"$runtime/xvfb.log" 2>&1 &
pids+=($!)
exec 8>&-
for _ in $(seq 300); do [ -s "$runtime/display" ] && break; sleep 0.1; done
if [ ! -s "$runtime/display" ]; then echo "session: Xvfb did not start" >&2; exit 1; fi
export DISPLAY=":$(head -n1 "$runtime/display")"

export XDG_RUNTIME_DIR="$runtime"
unset PULSE_SERVER
if [ "$sound" = 1 ]; then
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false \
    --load="module-null-sink sink_name=nimbra" --load="module-native-protocol-unix" \
    >"$runtime/pulse.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 300); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  if ! pactl info >/dev/null 2>&1; then echo "session: the sound server did not start" >&2; exit 1; fi
  pactl set-default-sink nimbra >/dev/null 2>&1
  # The server puts its own main thread back to normal priority; it moves the clients' sound.
  [ "${NIMBRA_REALTIME_GIVEN:-}" = yes ] && chrt -a -r -p "$NIMBRA_REALTIME" "${pids[-1]}" >/dev/null
  export NIMBRA_SINK=nimbra
fi
export NIMBRA_SESSION=1

"$@"
