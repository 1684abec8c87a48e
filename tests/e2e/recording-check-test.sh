#!/usr/bin/env bash
# recording-check against recordings made from the render itself with sox: one as the demo
# should sound (late start, the sink's latency at the end) passes, and so does one with the sink's
# underrun steps; a drifting clock either way, a gap, steps beyond their limit, a stretch of the
# wrong music and a sound that goes on past the show each fail on their own check.
# usage: recording-check-test.sh RECORDING_CHECK XMRENDER SONG.xm WORKDIR
set -u
check=$1
xmrender=$2
song=$3
work=$4
end=107.58
if ! command -v sox >/dev/null; then
  echo "FAIL: sox is missing; install it with scripts/setup.sh (Debian package sox)"
  exit 1
fi
rm -rf "$work" && mkdir -p "$work" || exit 1
"$xmrender" "$song" "$work/render.wav" --seconds 112 --loops 1 >/dev/null || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }

# make NAME INPUT [EFFECT...]: a fake recording of INPUT through sox's EFFECTs, with 1.3 s of
# silence before the song (the recorder starts first), cut 0.1 s before the end of the show (the
# output latency).
make() {
  local name=$1 input=$2
  shift 2
  sox -V1 "$input" "$work/$name.wav" "$@" pad 1.3 trim 0 "$(awk -v e="$end" 'BEGIN { print 1.3 + e - 0.1 }')" ||
    fail "$name: sox could not make it"
}
# expect NAME OUTCOME [FAILED-LINE]: runs the check on NAME.wav; OUTCOME is pass or fail.
expect() {
  local name=$1 outcome=$2 line=${3:-}
  local report
  report=$("$check" "$work/$name.wav" "$work/render.wav" "$end")
  local code=$?
  if [ "$outcome" = pass ]; then
    [ "$code" = 0 ] || fail "$name: expected a pass, got exit $code: $report"
    return
  fi
  [ "$code" = 1 ] || fail "$name: expected exit 1, got $code"
  grep -qx "FAILED: $line" <<<"$report" || fail "$name: no 'FAILED: $line' in: $report"
}

make good "$work/render.wav"
expect good pass
# The sink's underruns: the lag steps by 30 to 130 ms at a few moments, 290 ms in all, and a
# little of the song is lost each time. The device position stood still meanwhile, so the
# demo's clock, and with it the show, ends that much later.
sox -V1 "$work/render.wav" "$work/underruns.wav" pad 0.04@12 0.06@33 0.03@47 0.13@71 0.03@88 pad 1.3 \
  trim 0 "$(awk -v e="$end" 'BEGIN { print 1.3 + e - 0.1 + 0.29 }')" || fail "underruns: sox could not make it"
expect underruns pass
# A clock 0.3 % fast moves the lag by 15 ms a section.
make drift "$work/render.wav" speed 1.003
expect drift fail "the lag holds from section to section"
# A clock 0.1 % slow, 5 ms a section the other way.
make slow "$work/render.wav" speed 0.999
expect slow fail "the lag holds from section to section"
# Half a second of silence in the middle: the song has a hole.
make gap "$work/render.wav" pad 0.5@50
expect gap fail "no dropouts"
# Steps that add up to more than a second.
make steps "$work/render.wav" pad 0.12@10 0.12@20 0.12@30 0.12@40 0.12@50 0.12@60 0.12@70 0.12@80 0.12@90 0.12@100
expect steps fail "the sink's steps stay within their limit"
# Thirty seconds that play the wrong part of the song (a stream writing in the wrong place).
sox -V1 "$work/render.wav" "$work/part1.wav" trim 0 40
sox -V1 "$work/render.wav" "$work/part2.wav" trim 70 30
sox -V1 "$work/render.wav" "$work/part3.wav" trim 70
sox -V1 "$work/part1.wav" "$work/part2.wav" "$work/part3.wav" "$work/spliced.wav"
make wrong "$work/spliced.wav"
expect wrong fail "three sections in four follow the render"
# The sound goes on 4 s after the show has ended.
sox -V1 "$work/render.wav" "$work/late.wav" pad 1.3
expect late fail "the sound stops with the show"
# Nothing at all reached the sink.
sox -V1 -n -r 44100 -c 2 -e floating-point -b 32 "$work/silent.wav" trim 0 110
expect silent fail "the recording has the render's level"

"$check" "$work/good.wav" "$work/render.wav" >/dev/null 2>&1
[ $? = 2 ] || fail "missing argument: exit 2"
"$check" "$work/good.wav" "$work/render.wav" "$end" --late >/dev/null 2>&1
[ $? = 2 ] || fail "option without value: exit 2"
"$check" "$work/good.wav" "$work/render.wav" "$end" --speed 3 >/dev/null 2>&1
[ $? = 2 ] || fail "unknown option: exit 2"
[ "$status" = 0 ] && rm -rf "$work"
exit $status
