#!/usr/bin/env bash
# tests/app/demo-e2e.sh CASE DEMO.exe: one end-to-end check of demo.exe under Wine, through
# scripts/demo-harness.sh (a private display and sound sink per run). Cases:
#   window      the window covers the screen (an unusual size, 800 x 600) and is named "demo"
#   escape      Escape ends the run with exit code 0 within a second
#   altf4       Alt+F4 closes the window and ends the run with exit code 0
#   keymenu     Alt and F10 alone open no menu: the picture keeps changing, Escape still ends it
#   screenshot  the screen shows the program's output, not uniform black, within six seconds
#   nodevice    without OpenGL Wine has no Direct3D device: the window still opens, Escape ends
#               the run with exit code 0
set -u
case=$1
demo=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
shots=$(mktemp -d /tmp/nimbra-e2e.XXXXXX)
trap 'rm -rf "$shots"' EXIT

failures=0
run() {
  report=$(bash "$here/scripts/demo-harness.sh" "$@")
  echo "$report"
}
value() { echo "$report" | sed -n "s/^$1=//p" | head -n1; }
valueAt() { echo "$report" | sed -n "s/^$1=//p" | sed -n "$2p"; }
expect() {  # expect DESCRIPTION TEST...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

case "$case" in
  window)
    run --size 800x600 "$demo" picture:30 key:Escape exit:5
    expect "window name is demo" [ "$(value window_name)" = demo ]
    expect "window covers the 800x600 screen" [ "$(value window_geometry)" = 800x600+0+0 ]
    expect "exit code 0" [ "$(value exit_code)" = 0 ] ;;
  escape)
    run "$demo" picture:30 sleep:0.5 key:Escape exit:5
    expect "exit code 0" [ "$(value exit_code)" = 0 ]
    expect "ended within a second of Escape" [ "$(value exit_after_key_ms)" -lt 1000 ] ;;
  altf4)
    # Wine waits up to 2 s for a window manager when it destroys a window; Xvfb has none.
    run "$demo" picture:30 sleep:0.5 key:alt+F4 exit:10
    expect "exit code 0" [ "$(value exit_code)" = 0 ] ;;
  keymenu)
    run "$demo" picture:30 sleep:0.5 key:alt sleep:0.3 key:F10 sleep:0.3 shot:"$shots/a.png" sleep:0.7 \
      shot:"$shots/b.png" key:Escape exit:5
    expect "still running after Alt and F10" [ -n "$(valueAt shot_hash 2)" ]
    expect "the picture still changes" [ "$(valueAt shot_hash 1)" != "$(valueAt shot_hash 2)" ]
    expect "Escape ends it with exit code 0" [ "$(value exit_code)" = 0 ] ;;
  screenshot)
    # The window is black until the first frame is presented, which on a busy machine can
    # take a few seconds after the window appears; the picture may also start dark.
    run "$demo" sleep:2 shot:"$shots/2s.png" sleep:2 shot:"$shots/4s.png" sleep:2 \
      shot:"$shots/6s.png" key:Escape exit:5
    brightest=$(echo "$report" | sed -n 's/^shot_max=//p' | sort -n | tail -n1)
    expect "a screenshot is not black" [ "${brightest:-0}" -gt 16 ]
    expect "exit code 0" [ "$(value exit_code)" = 0 ] ;;
  nodevice)
    run --no-gl "$demo" sleep:1 key:Escape exit:5
    expect "window covers the screen" [ "$(value window_geometry)" = 640x360+0+0 ]
    expect "exit code 0" [ "$(value exit_code)" = 0 ]
    expect "ended within a second of Escape" [ "$(value exit_after_key_ms)" -lt 1000 ] ;;
  *) echo "unknown case $case" >&2; exit 2 ;;
esac
[ "$failures" = 0 ]
