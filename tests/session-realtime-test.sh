#!/usr/bin/env bash
# session-realtime-test.sh SOURCE_DIR: scripts/session.sh with NIMBRA_REALTIME=PRIORITY runs the
# command, the display and every thread of the sound server (its main one too, which the server
# itself puts back) at that real-time priority, where the system allows it, and says so; without
# it everything runs at normal priority.
set -u
src=$1
failures=0
# The scheduling class and real-time priority of every thread the session started.
classes() {
  bash "$src/scripts/session.sh" -- bash -c \
    'echo "given=${NIMBRA_REALTIME_GIVEN:-unset}"; ps -L -o cls=,rtprio=,comm= --ppid $PPID'
}
# expect OUTPUT GIVEN CLASS [NAMES]: the session says GIVEN, and every thread (or those whose
# name matches NAMES) is in CLASS ("RR 10", "TS -").
expect() {
  local out=$1 given=$2 class=$3 names=${4:-.} threads others
  threads=$(echo "$out" | grep -vc '^given=')
  others=$(echo "$out" | grep -v '^given=' | awk -v c="$class" -v n="$names" '$3 ~ n && $1 " " $2 != c' | tr '\n' ';')
  if ! echo "$out" | grep -qx "given=$given"; then
    echo "FAILED: the session says given=$given: $(echo "$out" | head -n1)"; failures=$((failures + 1))
  elif [ "$threads" -lt 4 ] || [ -n "$others" ]; then
    echo "FAILED: the session's threads at '$class' ($threads threads seen; not: $others)"
    failures=$((failures + 1))
  else
    echo "ok: given=$given; of the $threads threads of the display, sound server and command, those checked at '$class'"
  fi
}
# The sound server gives its own sink thread a real-time priority of its own (as root).
expect "$(classes)" unset "TS -" '^(Xvfb|pulseaudio|ps)$'
if chrt -r 10 true 2>/dev/null; then
  expect "$(NIMBRA_REALTIME=10 classes)" yes "RR 10"
else
  expect "$(NIMBRA_REALTIME=10 classes)" no "TS -" '^(Xvfb|pulseaudio|ps)$'
fi
[ "$failures" = 0 ]
