#!/usr/bin/env bash
# scripts/bench-shell.sh [WxH]: start-up time and frame rate of the window, device and frame
# loop under Wine, on a private virtual display (default 640x360). Needs `make win64`.
# Runs in a Wine prefix of its own (build/wineprefix-bench) so tests running at the same time
# do not share its screen.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-640x360}
bench="$here/build/win64/tools/shell-bench/shell_bench.exe"
if [ ! -f "$bench" ]; then echo "bench-shell: build first (make win64)" >&2; exit 1; fi
export NIMBRA_WINEPREFIX="$here/build/wineprefix-bench"
# The start-up a user sees: the program started by wine itself, not through the tests' witness.
export NIMBRA_EXIT_WITNESS=
# Create the prefix first so that its one-time set-up is not measured.
bash "$here/scripts/wine-run.sh" --version >/dev/null 2>&1
run() {
  NIMBRA_LAUNCH_NS=$(date +%s%N) timeout -k 5 120 bash "$here/scripts/wine-run.sh" "$bench" 2>/dev/null
}
export -f run
export here bench
echo "shell benchmark at $size (Wine, Xvfb, llvmpipe)"
echo "-- first run (cold Wine server)"
bash "$here/scripts/session.sh" --no-sound --size "$size" -- bash -c run
echo "-- second run"
bash "$here/scripts/session.sh" --no-sound --size "$size" -- bash -c run
