#!/usr/bin/env bash
# Runs every test of the three builds: native, native with sanitizers, and Windows under Wine
# (inside a private virtual display and sound sink). Fails if any test fails. Ends with the
# versions of the private toolchain the Windows tests ran on (any that is not the pin is
# flagged) and the count of runs the harness made once more (build/retries.log).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
status=0
jobs=$(nproc)
export NIMBRA_RETRY_LOG="$here/build/retries.log"
mkdir -p build && : > "$NIMBRA_RETRY_LOG"
# Wine's first prefix (wineboot) takes a core for 10 to 40 s while every Windows test waits on
# it: it is made while the native tests run.
bash scripts/session.sh --no-sound bash scripts/wine-run.sh --version >build/first-prefix.log 2>&1 &
firstPrefix=$!
ctest --test-dir build/host --output-on-failure -j "$jobs" || status=1
ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1
wait "$firstPrefix" || { echo "the first Wine prefix failed:"; cat build/first-prefix.log; }
# Each Windows test that keeps a core busy takes two job slots: one per core, and one more for
# a run that keeps time at a real-time priority beside them (tests/Schedule.cmake).
bash scripts/session.sh -- ctest --test-dir build/win64 --output-on-failure -j $((2 * jobs + 1)) || status=1

source scripts/vulkan-tools.sh
toolchainReport
retries=$(wc -l < "$NIMBRA_RETRY_LOG")
echo "retries: $retries"
sed 's/^/  /' "$NIMBRA_RETRY_LOG"
exit $status
