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
exit $status
