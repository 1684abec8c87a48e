#!/usr/bin/env bash
# tests/e2e/demo-e2e.sh CASE DEMO.exe: one end-to-end check of demo.exe under Wine, through
# scripts/demo-harness.sh (a private display and sound sink per run). Cases:
#   window      the window covers the screen (an unusual size, 800 x 600) and is named "demo"
#   escape      Escape ends the run with exit code 0 within a second of the frame in flight
#   altf4       Alt+F4 closes the window and ends the run with exit code 0
#   keymenu     Alt and F10 alone open no menu: the picture keeps changing, Escape still ends it
#   screenshot  the screen shows the program's output, not uniform black
#   nodevice    without OpenGL Wine has no Direct3D device: the window still opens, Escape ends
#               the run with exit code 0
# The software rasteriser under Wine takes seconds for one frame of the full content (the cube
# scroller alone is 39 million vertices), so waits are counted in frames where a frame matters:
# the first frame's time (window to first picture) is the measure.
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
frameMs() {  # the first frame's time, at least 100 ms
  local f=$(( $(value picture_ms) - $(value window_ms) ))
  [ "$f" -gt 100 ] && echo "$f" || echo 100
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
    run --size 800x600 "$demo" picture:60 key:Escape exit:90
    expect "window name is demo" [ "$(value window_name)" = demo ]
    expect "window covers the 800x600 screen" [ "$(value window_geometry)" = 800x600+0+0 ]
    expect "exit code 0" [ "$(value exit_code)" = 0 ] ;;
  escape)
    # Escape is seen at the start of the next turn; the turn in flight and the frames the GPU
    # has queued still finish, so the bound is a second plus three frames.
    run "$demo" picture:60 sleep:0.5 key:Escape exit:90
    expect "exit code 0" [ "$(value exit_code)" = 0 ]
    expect "ended within a second and three frames of Escape" \
      [ "$(value exit_after_key_ms)" -lt $((1000 + 3 * $(frameMs))) ] ;;
  altf4)
    # Wine waits up to 2 s for a window manager when it destroys a window; Xvfb has none.
    run "$demo" picture:60 sleep:0.5 key:alt+F4 exit:90
    expect "exit code 0" [ "$(value exit_code)" = 0 ] ;;
  keymenu)
    # Two shots 15 s apart: new frames of the software rasteriser lie between them.
    run "$demo" picture:60 sleep:0.5 key:alt sleep:0.3 key:F10 sleep:0.3 shot:"$shots/a.png" \
      sleep:15 shot:"$shots/b.png" key:Escape exit:90
    expect "still running after Alt and F10" [ -n "$(valueAt shot_hash 2)" ]
    expect "the picture still changes" [ "$(valueAt shot_hash 1)" != "$(valueAt shot_hash 2)" ]
    expect "Escape ends it with exit code 0" [ "$(value exit_code)" = 0 ] ;;
  screenshot)
    # The window is black until the first frame is presented, which on the software rasteriser
    # takes seconds after the window appears; the picture may also start dark.
    # The show opens on a dark, lost signal: look again a few frames later too.
    run "$demo" picture:60 shot:"$shots/first.png" sleep:8 shot:"$shots/8s.png" sleep:8 \
      shot:"$shots/16s.png" key:Escape exit:90
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
