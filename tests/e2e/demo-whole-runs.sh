#!/usr/bin/env bash
# demo-whole-runs.sh DEMO.exe SOURCE_DIR [DEMO_SYNC.exe WORK_DIR]: the runs on the music's clock,
# side by side. They wait on the clock (the whole show lasts 107.58 s), not on the processor, so
# they share the time of one; each has a Wine prefix, display and sound sink of its own, and its
# verdict is the one it gives alone:
#   recording        without a Direct3D device, recorded and compared with the offline render
#                    (demo-recording.sh): exit code 0 after the show, no drift, no gap. Its
#                    session runs at a real-time priority, so that Wine's sound threads get the
#                    processor when they ask.
#   live song        demo-sync playing a song that is saved over while it plays, recorded
#                    (demo-sync-reload-test.py song): no pause between the songs. Given
#                    DEMO_SYNC.exe and its WORK_DIR; its session runs at the same priority.
#                    Without one, it runs after the others.
#   to-end wined3d   with the device and sound (demo-e2e.sh to-end): the first picture, screenshots
#   to-end dxvk      that are not black, sound in the sink, exit code 0 by itself after the
#                    music's end. They count in frame units, so a busy core only makes them draw
#                    fewer frames. They share the cores but the last.
# The test runs alone: beside other tests' renders, or with renders on every core, the recording
# still lost sound at its priority. Fails when any run fails. Where no real-time priority can be
# had (not root), the recording has the last core to itself and first waits for a quiet machine;
# it skips (and says why) when the machine stays busy, and the test then ends with 77 only if the
# runs to the end passed.
# demo-whole-runs.sh --prefixes SOURCE_DIR only makes the runs' Wine prefixes (on the runs to the
# end's screen size), so that the runs start at once: a test that goes beside others first.
set -u
if [ "$1" = --prefixes ]; then
  src=$2
  NIMBRA_WINEPREFIX=$src/build/wineprefix-recording bash "$src/scripts/wine-run.sh" --version || exit 1
  for d3d in wined3d dxvk; do
    NIMBRA_D3D=$d3d NIMBRA_WINEPREFIX=$src/build/wineprefix-whole \
      bash "$src/scripts/session.sh" --no-sound --size 320x180 bash "$src/scripts/wine-run.sh" --version || exit 1
  done
  exit 0
fi
demo=$1
src=$2
work=$(mktemp -d /tmp/nimbra-whole.XXXXXX)
trap 'rm -rf "$work"' EXIT
name=${NIMBRA_TEST_NAME:-demo_whole_runs}

# The renders share the cores but the last; the recording has that one to itself where no
# real-time priority can be had, else it may also take the others' turns.
recordingCores=()
renderCores=()
last=$(( $(nproc) - 1 ))
if [ "$last" -ge 1 ] && command -v taskset >/dev/null; then
  chrt -r 20 true 2>/dev/null || recordingCores=(taskset -c "$last")
  renderCores=(taskset -c "0-$(( last - 1 ))")
fi

# The renders start once the recording has started or skipped (or, without a core of its own,
# ended).
NIMBRA_D3D=wined3d NIMBRA_RECORDING_STARTED="$work/recording-started" "${recordingCores[@]}" \
  bash "$src/tests/e2e/demo-recording.sh" "$demo" "$src" > "$work/recording.log" 2>&1 &
recording=$!
while kill -0 "$recording" 2>/dev/null; do
  [ -e "$work/recording-started" ] && break
  sleep 1
done
liveSong() {
  NIMBRA_D3D=wined3d NIMBRA_REALTIME=20 NIMBRA_TEST_NAME="$name/live-song" \
    python3 "$src/tests/e2e/demo-sync-reload-test.py" "$3" "$src" "$4" song > "$work/live-song.log" 2>&1
  echo $? > "$work/live-song.status"
}
if [ -n "${3:-}" ] && chrt -r 20 true 2>/dev/null; then
  liveSong "$@" &
fi
d3ds=(dxvk wined3d)
for d3d in "${d3ds[@]}"; do
  (
    NIMBRA_D3D=$d3d NIMBRA_TEST_NAME="$name/to-end-$d3d" NIMBRA_E2E_WINEPREFIX="$src/build/wineprefix-whole" \
      "${renderCores[@]}" bash "$src/tests/e2e/demo-e2e.sh" to-end "$demo" > "$work/to-end-$d3d.log" 2>&1
    echo $? > "$work/to-end-$d3d.status"
  ) &
done

wait "$recording"
recordingStatus=$?
failed=0
echo "== recording, without a Direct3D device${recordingCores[*]:+ (${recordingCores[*]})}: status $recordingStatus"
cat "$work/recording.log"
case "$recordingStatus" in 0|77) ;; *) failed=1 ;; esac
wait
if [ -n "${3:-}" ]; then
  [ -e "$work/live-song.status" ] || liveSong "$@"
  status=$(cat "$work/live-song.status")
  echo "== live song, without a Direct3D device: status $status"
  cat "$work/live-song.log"
  [ "$status" = 0 ] || failed=1
fi
for d3d in "${d3ds[@]}"; do
  status=$(cat "$work/to-end-$d3d.status" 2>/dev/null || echo missing)
  echo "== to-end on $d3d${renderCores[*]:+ (${renderCores[*]})}: status $status"
  cat "$work/to-end-$d3d.log"
  [ "$status" = 0 ] || failed=1
done
if [ "$failed" != 0 ]; then
  echo "FAILED: a whole run failed (above)"
  exit 1
fi
[ "$recordingStatus" = 77 ] && exit 77
exit 0
