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

export NIMBRA_RETRY_LOG="$here/build/retries.log"
mkdir -p build && : > "$NIMBRA_RETRY_LOG"
ctest --test-dir build/host --output-on-failure -j "$jobs" || status=1
ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1

# Windows, in three steps: every test that may share the machine, two at a time; then those
# labelled "timed" one after the other (the runs of the whole show, which wait on the music's
# clock and leave a core to the recording's sound, the key menu run and the live shaders); then
# those labelled "alone", which time keys, the link and the sound and draw nothing, two at a time.
wine=(bash scripts/session.sh -- ctest --test-dir build/win64 --output-on-failure)
"${wine[@]}" -j "$jobs" -LE '^(alone|timed)$' || status=1
"${wine[@]}" -L '^timed$' || status=1
"${wine[@]}" -j $(( 2 * jobs )) -L '^alone$' || status=1

source scripts/vulkan-tools.sh
toolchainReport
retries=$(wc -l < "$NIMBRA_RETRY_LOG")
echo "retries: $retries"
sed 's/^/  /' "$NIMBRA_RETRY_LOG"
exit $status
