#!/usr/bin/env bash
# End-to-end runs of demo.exe under Wine on a small virtual screen.
#   demo-run-test.sh to-end    runs to its own end at 107.58 s and must exit 0
#   demo-run-test.sh escape    Escape in the middle must end it with 0 within a second
#   demo-run-test.sh no-sound  without a sound server it keeps running at time 0 until Escape
# Usage: demo-run-test.sh MODE path/to/demo.exe
set -u
mode=$1
exe=$2
here=$(cd "$(dirname "$0")/../.." && pwd)

if [ -z "${NIMBRA_E2E_INNER:-}" ]; then
  # A session of its own: a small screen keeps the software rasteriser fast, and a Wine
  # prefix of its own keeps its display settings apart from other tests running meanwhile.
  export NIMBRA_E2E_INNER=1
  export NIMBRA_WINEPREFIX="$here/build/wineprefix-e2e"
  sound=()
  [ "$mode" = no-sound ] && sound=(--no-sound)
  exec bash "$here/scripts/session.sh" "${sound[@]}" --size 320x180 bash "$0" "$@"
fi

now() { date +%s.%N; }
seconds_since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.2f", a - b }'; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# Waits until the demo's window exists; the first run in a new prefix takes longer.
wait_for_window() {
  for _ in $(seq 600); do
    xdotool search --name '^demo$' >/dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

start=$(now)
bash "$here/scripts/wine-run.sh" "$exe" &
pid=$!

case "$mode" in
  to-end)
    wait "$pid"; status=$?
    took=$(seconds_since "$start")
    echo "demo.exe exited with $status after $took s"
    [ "$status" = 0 ] || exit 1
    # The clock is the audio position, so the run cannot end before the music's 107.58 s.
    if less_than "$took" 107.58; then echo "ended too early"; exit 1; fi
    ;;
  escape|no-sound)
    if ! wait_for_window; then echo "no window appeared"; kill "$pid" 2>/dev/null; exit 1; fi
    sleep 5
    if ! kill -0 "$pid" 2>/dev/null; then echo "demo.exe ended by itself"; exit 1; fi
    pressed=$(now)
    xdotool key Escape
    wait "$pid"; status=$?
    took=$(seconds_since "$pressed")
    echo "demo.exe exited with $status $took s after Escape"
    [ "$status" = 0 ] || exit 1
    if less_than 1.0 "$took"; then echo "too slow to leave"; exit 1; fi
    ;;
  *)
    echo "unknown mode $mode"; kill "$pid" 2>/dev/null; exit 2 ;;
esac
exit 0
