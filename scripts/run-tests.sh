#!/usr/bin/env bash
# Runs every test of the three builds: native, native with sanitizers, and Windows under Wine
# (inside private virtual displays and sound sinks). Fails if any test fails. Ends with the
# versions of the private toolchain the Windows tests ran on (any that is not the pin is
# flagged) and the count of runs the harness made once more (build/retries.log).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
status=0
jobs=$(nproc)

# backgroundGroup: makes a processor group (cgroup, v1 or v2) whose processes get an eighth of a
# core's share whenever others want the processors (enough for their own start-up limits), and
# prints its path; prints nothing where that cannot be done (not root, no cpu controller).
backgroundGroup() {
  local group
  for group in /sys/fs/cgroup/cpu/nimbra-background /sys/fs/cgroup/nimbra-background; do
    mkdir -p "$group" 2>/dev/null || continue
    if [ -e "$group/cgroup.procs" ] && { echo 128 > "$group/cpu.shares" 2>/dev/null || echo 12 > "$group/cpu.weight" 2>/dev/null; }; then
      echo "$group"
      return
    fi
    rmdir "$group" 2>/dev/null
  done
}
export NIMBRA_RETRY_LOG="$here/build/retries.log"
mkdir -p build && : > "$NIMBRA_RETRY_LOG"
ctest --test-dir build/host --output-on-failure -j "$jobs" || status=1
ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1

# Windows. The tests labelled "timed" (the runs of the whole show, which wait on the music's clock
# and leave a core mostly idle to the recording's sound, the key menu run and the live shaders)
# go one after the other; then those labelled "alone", which time keys, the link and the sound and draw nothing,
# two at a time. When a processor
# group with a small share can be made, every other test starts beside them in it, so that it
# fills the time they leave and never takes their turn; otherwise the others run first.
wine=(bash scripts/session.sh -- ctest --test-dir build/win64 --output-on-failure)
timed() {
  local failed=0
  NIMBRA_WHOLE_RUNS_STARTED="$here/$started" "${wine[@]}" -L '^timed$' || failed=1
  "${wine[@]}" -j $(( 2 * jobs )) -L '^alone$' || failed=1
  return $failed
}
started=build/whole-runs.started
rm -f "$started"
group=$(backgroundGroup)
if [ -n "$group" ]; then
  timed > build/timed-tests.log 2>&1 &
  timedRuns=$!
  while [ ! -e "$started" ] && kill -0 "$timedRuns" 2>/dev/null; do sleep 1; done
  # The display and sink start outside the group: starved there, they would miss their start-up limit.
  bash scripts/session.sh -- bash -c 'echo $$ > "$1/cgroup.procs" && shift && exec "$@"' - "$group" \
    ctest --test-dir build/win64 --output-on-failure -j "$jobs" -LE '^(alone|timed)$' || status=1
  wait "$timedRuns" || status=1
  cat build/timed-tests.log
  rmdir "$group" 2>/dev/null
else
  "${wine[@]}" -j "$jobs" -LE '^(alone|timed)$' || status=1
  timed || status=1
fi

source scripts/vulkan-tools.sh
toolchainReport
retries=$(wc -l < "$NIMBRA_RETRY_LOG")
echo "retries: $retries"
sed 's/^/  /' "$NIMBRA_RETRY_LOG"
exit $status
