#!/usr/bin/env bash
# demo-recording.sh DEMO.exe SOURCE_DIR
# Plays the whole demo once under Wine, in a display and null sound sink of its own, records the
# sink's monitor and compares the recording with the offline render of the same song
# (xmrender): the envelopes must correlate, the lag must stay constant to the sample, nothing
# may drop out, the sound must stop where the show ends, and demo.exe must exit with 0 by itself
# after 107.58 s. Takes about two minutes; needs the host build (build/host) for its tools.
set -u
demo=$1
src=$2
end=107.58

# A private session, so that no other test's sound ends up in the recording.
if [ -z "${NIMBRA_RECORDING_SESSION:-}" ]; then
  NIMBRA_RECORDING_SESSION=1 exec bash "$src/scripts/session.sh" -- bash "$0" "$@"
fi

host=$src/build/host
xmrender=$host/tools/xmrender/xmrender
check=$host/tests/soundtrack/recording-check
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

work=$(mktemp -d /tmp/nimbra-recording.XXXXXX)
recorder=""
cleanup() {
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null && wait "$recorder" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$xmrender" "$src/content/song/song.xm" "$work/render.wav" --seconds 112 --loops 1 >/dev/null || exit 1

parec --device="$NIMBRA_SINK.monitor" --format=float32le --rate=44100 --channels=2 \
  --file-format=wav "$work/recording.wav" &
recorder=$!
sleep 1

started=$(date +%s.%N)
bash "$src/scripts/wine-run.sh" "$demo"
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
"$check" "$work/recording.wav" "$work/render.wav" "$end" || result=1
exit $result
