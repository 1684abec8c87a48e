#!/usr/bin/env bash
# tests/e2e/demo-e2e.sh CASE DEMO.exe [POST_CLOSE.exe]: one end-to-end run of demo.exe under Wine,
# through scripts/harness.py (a private display and sound sink per run).
#
# Keys and window messages are tested without a Direct3D device (a display without OpenGL),
# where one turn of the frame loop takes milliseconds, so they hold the program to one second:
#   window      the window covers the screen (an unusual size, 800 x 600) and is named "demo"
#   escape      Escape ends the run, sound playing, with exit code 0 within a second
#   altf4       Alt+F4 ends it with exit code 0 within a second
#   close       WM_CLOSE (posted by POST_CLOSE.exe) ends it with exit code 0 within a second
#   no-sound    without a sound server the clock stands at 0: the run goes on until Escape
#               ends it with exit code 0 within a second
# The picture needs the device. On the software rasteriser one frame takes seconds, more on a
# busy machine, so these waits are counted in frame units measured in the same run (window to
# first picture, which includes the start-up):
#   keymenu     Alt and F10 alone open no menu: the picture keeps changing, Escape still ends it
#   to-end      with device and sound, the screen shows the program's output (not uniform black),
#               and the show runs to its end at 107.58 s of music and exits with 0 by itself
#               (demo-whole-runs.sh runs it beside the recording)
set -u
case=$1
demo=$2
postClose=${3:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/nimbra-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The first picture of the full content may take minutes on a loaded software rasteriser; the
# limit only keeps a run that never draws from hanging the suite.
firstPictureLimit=240
report=""
failures=0

run() {
  report=$(python3 "$here/scripts/harness.py" "$@")
  echo "$report"
}
value() { echo "$report" | sed -n "s/^$1=//p" | head -n1; }
valueAt() { echo "$report" | sed -n "s/^$1=//p" | sed -n "$2p"; }
ok() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Each step that can fail names itself: the window, the first picture, the exit.
expectWindow() {
  if [ "$(value window_id)" = none ] || [ -z "$(value window_id)" ]; then
    fail "the window never appeared"
    exit 1
  fi
}
expectPicture() {
  if [ "$(value picture_ms)" = none ]; then
    fail "no picture reached the screen within $firstPictureLimit s of the window"
    exit 1
  fi
  ok "first picture $(value picture_ms) ms after start, frame unit $(value frame_unit_ms) ms"
}
# expectExitAfter EVENT LIMIT_MS [show-may-end]: the run ended with 0 within LIMIT_MS of EVENT.
# With show-may-end, a run whose music reached its end before the event (a very slow machine's
# frame units add up) may have ended by itself instead.
expectExitAfter() {
  local event=$1 limit=$2 mayEnd=${3:-} code after
  code=$(value exit_code)
  after=$(value exit_after_event_ms)
  if [ -z "$(value event)" ] && [ -n "$mayEnd" ] && [ "$code" = 0 ] && [ "$(value run_ms)" -ge 107580 ]; then
    ok "the show reached its end and exited with 0 before $event was due"
  elif [ -z "$(value event)" ]; then
    fail "$event was never sent (the program had ended before it, exit code $code)"
  elif [ "$code" = killed ]; then
    fail "exit code 137 after $event (still running, killed at the harness's limit)"
  elif [ "$code" != 0 ]; then
    fail "exit code $code after $event"
  elif [ "$after" -gt "$limit" ]; then
    fail "ended $after ms after $event, limit $limit ms"
  else
    ok "exit code 0, $after ms after $event (limit $limit ms)"
  fi
}

case "$case" in
  window)
    run --no-gl --size 800x600 "$demo" sleep:1 key:Escape exit:5
    expectWindow
    [ "$(value window_name)" = demo ] && ok "window named demo" || fail "window named '$(value window_name)', not demo"
    [ "$(value window_geometry)" = 800x600+0+0 ] && ok "window covers the 800x600 screen" ||
      fail "window geometry $(value window_geometry), not 800x600+0+0"
    expectExitAfter Escape 1000 ;;
  escape)
    run --no-gl "$demo" sleep:1 key:Escape exit:5
    expectWindow
    expectExitAfter Escape 1000 ;;
  altf4)
    run --no-gl "$demo" sleep:1 key:alt+F4 exit:5
    expectWindow
    expectExitAfter Alt+F4 1000 ;;
  close)
    [ -f "$postClose" ] || { fail "no post-close tool at '$postClose' (build the Windows tests: make win64)"; exit 1; }
    run --no-gl "$demo" sleep:1 close:"$postClose" exit:5
    expectWindow
    expectExitAfter WM_CLOSE 1000 ;;
  no-sound)
    # Ten seconds at time 0: a clock that ran would not end the show either, but a run that
    # ends by itself here has lost its way.
    run --no-gl --no-sound "$demo" sleep:10 key:Escape exit:5
    expectWindow
    expectExitAfter Escape 1000 ;;
  keymenu)
    run --window-timeout 120 --timeout 600 "$demo" picture:$firstPictureLimit key:alt sleep:0.3 key:F10 \
      sleep:0.3 shot:"$work/menu.png" changed:10f key:Escape exit:10f
    expectWindow
    expectPicture
    changed=$(value changed_ms)
    [ "$changed" != none ] && ok "the picture still changes after Alt and F10 ($changed ms)" ||
      fail "the picture stood still for 10 frame units after Alt and F10"
    expectExitAfter Escape $(( 10 * $(value frame_unit_ms) )) show-may-end ;;
  to-end)
    # The clock is the sound's: the show lasts 107.58 s whatever the frame rate; the turn that
    # reads the end may still be drawing a frame then.
    # The show opens on a dark, lost signal: three screenshots a frame apart, each taken once the
    # picture has changed (or a frame unit has passed). They are done early in the show, so the
    # sound is still playing when it is looked for, however slow the frames.
    run --window-timeout 120 --timeout 600 --size 320x180 "$demo" picture:$firstPictureLimit \
      shot:"$work/first.png" changed:1f shot:"$work/later.png" changed:1f shot:"$work/last.png" \
      exit-if-sound:170 exit:10f
    expectWindow
    expectPicture
    brightest=$(echo "$report" | sed -n 's/^shot_max=//p' | sort -n | tail -n1)
    [ "${brightest:-0}" -gt 16 ] && ok "a screenshot is not black (brightest grey $brightest)" ||
      fail "every screenshot is black (brightest grey ${brightest:-none})"
    [ "$(value sound)" = yes ] && ok "the demo plays into the sound sink" || fail "no sound reached the sink"
    code=$(value exit_code)
    runMs=$(value run_ms)
    if [ "$code" = killed ]; then
      fail "exit code 137: still running at the harness's limit, long after the music's end"
    elif [ "$code" != 0 ]; then
      fail "exit code $code"
    elif [ "$runMs" -lt 107580 ]; then
      fail "ended after $runMs ms, before the music's end"
    else
      ok "ran to its end and exited with 0 after $runMs ms"
    fi ;;
  *) echo "unknown case $case" >&2; exit 2 ;;
esac
[ "$failures" = 0 ]
