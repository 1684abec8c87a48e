#!/usr/bin/env bash
# xmrender from the command line: header figures, render lengths and clean failures.
# usage: xmrender_cli.sh XMRENDER XMSEEDS WORKDIR
set -u
xmrender=$1
xmseeds=$2
work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
"$xmseeds" "$work" || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }

info=$("$xmrender" --info "$work/bench10.xm") || fail "--info exit status"
for line in "channels 10" "patterns 4" "instruments 4" "length 6" "restart 1" "frequency linear" \
            "speed 3" "tempo 125"; do
  grep -qx "$line" <<<"$info" || fail "--info lacks '$line'"
done
grep -qE '^blockSize [0-9]+$' <<<"$info" || fail "--info lacks blockSize"
[ "$(grep -c . <<<"$info")" = 9 ] || fail "--info prints 9 lines"
grep -qx "frequency amiga" <<<"$("$xmrender" --info "$work/effects0-amiga.xm")" || fail "amiga mode"

# The song comes round after 6 orders of 64 rows of 3 ticks of 882 frames.
"$xmrender" "$work/bench10.xm" "$work/song.wav" >/dev/null || fail "render exit status"
[ "$(stat -c %s "$work/song.wav")" = $((44 + 6 * 64 * 3 * 882 * 8)) ] || fail "render length"
"$xmrender" "$work/bench10.xm" "$work/fixed.wav" --loops 0 --seconds 30 >/dev/null || fail "fixed render"
[ "$(stat -c %s "$work/fixed.wav")" = $((44 + 30 * 44100 * 8)) ] || fail "fixed length"
[ "$(head -c 4 "$work/fixed.wav")" = RIFF ] || fail "RIFF header"

# Failures: a message on stderr, a non-zero exit, and no output file.
head -c 59 "$work/bench10.xm" > "$work/short.xm"
{ printf 'Extended Module: '; head -c 300 /dev/zero; } > "$work/nomarker.xm"
for bad in "$work/missing.xm" "$work/short.xm" "$work/nomarker.xm"; do
  if "$xmrender" "$bad" "$work/bad.wav" 2>"$work/err.txt"; then fail "$bad accepted"; fi
  [ -s "$work/err.txt" ] || fail "$bad: no message"
  [ ! -e "$work/bad.wav" ] || fail "$bad: output written"
done
if "$xmrender" "$work/bench10.xm" 2>/dev/null; then fail "missing output accepted"; fi

# The CPU limit. A ratio of 0 is exceeded by any CPU time at all, and the process has spent some
# by its first look at the clock; a ratio of a million would need a machine a million times
# slower than real time. So neither verdict depends on the speed of the machine.
"$xmrender" "$work/bench10.xm" "$work/limited.wav" --loops 0 --seconds 5 --max-cpu-ratio 0 2>"$work/err.txt"
code=$?
[ $code = 3 ] || fail "--max-cpu-ratio 0: exit status $code, not 3"
grep -q "above --max-cpu-ratio 0" "$work/err.txt" || fail "--max-cpu-ratio 0: message: $(cat "$work/err.txt")"
[ ! -e "$work/limited.wav" ] || fail "--max-cpu-ratio 0: output left behind"
"$xmrender" "$work/bench10.xm" "$work/generous.wav" --loops 0 --seconds 5 --max-cpu-ratio 1000000 >/dev/null ||
  fail "--max-cpu-ratio 1000000 stopped the render"
cmp -s <(tail -c +45 "$work/generous.wav") <(head -c $((44 + 5 * 44100 * 8)) "$work/fixed.wav" | tail -c +45) ||
  fail "the frames of a render with a limit differ from the first 5 s of one without"
for bad in -1 abc 1e12 ""; do
  "$xmrender" "$work/bench10.xm" "$work/bad.wav" --max-cpu-ratio "$bad" 2>/dev/null
  code=$?
  [ $code = 2 ] || fail "--max-cpu-ratio '$bad': exit status $code, not 2"
done

# Streaming: a render of two minutes holds no more than a render of seconds (peak resident
# memory, compared on the same machine in the same run; the frames alone would be 42 MB).
if [ -x /usr/bin/time ]; then
  /usr/bin/time -f %M -o "$work/short.rss" "$xmrender" "$work/bench10.xm" "$work/s.wav" --loops 0 --seconds 2 >/dev/null
  /usr/bin/time -f %M -o "$work/long.rss" "$xmrender" "$work/bench10.xm" "$work/l.wav" --loops 0 --seconds 120 >/dev/null
  [ "$(stat -c %s "$work/l.wav")" = $((44 + 120 * 44100 * 8)) ] || fail "two-minute render length"
  short=$(tail -n1 "$work/short.rss")
  long=$(tail -n1 "$work/long.rss")
  [ "$long" -lt $((short + 8192)) ] || fail "two minutes peaked at $long kB against $short kB for two seconds"
  rm -f "$work/s.wav" "$work/l.wav"
else
  fail "/usr/bin/time missing: apt-get install time"
fi
exit $status
