#!/usr/bin/env bash
# wine-run-test.sh SOURCE_DIR EXIT_WITNESS EXIT_WITH WORK: scripts/wine-run.sh hands a Windows
# program its arguments unchanged and returns the exit code the program ended with, also when
# the Unix side of the program and of the witness is still exiting a second after they ended and
# Wine kills them (an exit slowed to five seconds, preloaded).
set -u
src=$1 program=$3 work=$4
export NIMBRA_EXIT_WITNESS=$2
mkdir -p "$work"
cc -shared -fPIC -o "$work/slow-unix-exit.so" "$src/tests/support/slow-unix-exit.c" || exit 1
export NIMBRA_WINEPREFIX=$src/build/wineprefix-exit LC_ALL=C.UTF-8
arguments=('two words' 'a"quote' 'a back\slash\' 'ü' 'q\"x')
failures=0
# expect WHAT STATUS [VARIABLE=VALUE...]: the run, with those variables, ends with STATUS and
# prints the arguments back.
expect() {
  local what=$1 expected=$2 out status
  shift 2
  out=$(env "$@" bash "$src/scripts/wine-run.sh" "$program" 7 "${arguments[@]}" 2>"$work/stderr")
  status=$?
  if [ "$status" != "$expected" ]; then
    echo "FAILED: $what: exit status $status, expected $expected"; cat "$work/stderr"; failures=$((failures + 1))
  elif [ "$out" != "$(printf '%s\n' "${arguments[@]}")" ]; then
    echo "FAILED: $what: the arguments came back as:"; echo "$out"; failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}
slow=LD_PRELOAD=$work/slow-unix-exit.so
expect "the program's code" 7
expect "the program's code, its Unix side slow to exit" 7 "$slow"
# The fault the witness is there for, seen without it: Wine's SIGKILL as the status.
expect "without the witness, the slow exit's status is Wine's SIGKILL" 137 "$slow" NIMBRA_EXIT_WITNESS=
[ "$failures" = 0 ]
