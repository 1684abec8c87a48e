#!/usr/bin/env bash
# Runs every test of the three builds: native, native with sanitizers, and Windows under Wine
# (inside a private virtual display and sound sink). Fails if any test fails.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
status=0
jobs=$(nproc)
ctest --test-dir build/host --output-on-failure -j "$jobs" || status=1
ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1
bash scripts/session.sh -- ctest --test-dir build/win64 --output-on-failure -j "$jobs" || status=1
exit $status
