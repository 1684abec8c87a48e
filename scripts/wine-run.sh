#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix and returns its exit code.
# ctest uses it as the emulator of the Windows build (with --output-apart, below); scripts/session.sh
# provides the display.
# NIMBRA_D3D picks the Direct3D 11 (scripts/direct3d.sh): wined3d unless it says dxvk.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/direct3d.sh"
d3dChoose || exit 2
export WINEPREFIX=$(d3dPrefix "${NIMBRA_WINEPREFIX:-$here/build/wineprefix}")
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or HTML engine, which would ask to be installed, nor the menu builder, which the desktop
# starts with every Wine server to write Linux menu entries and file types for the prefix.
wineOverrides='mscoree,mshtml=;winemenubuilder.exe=d'
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-$wineOverrides}"
if ! command -v wine >/dev/null; then
  echo "wine-run: wine is missing; install it with scripts/setup.sh (Debian packages wine, wine64)" >&2
  exit 127
fi
d3dEnvironment || exit 127
mkdir -p "$(dirname "$WINEPREFIX")"
# Every prefix has three settings, for the project's displays and software rendering:
#   - no window manager: the displays (Xvfb) have none, and hiding or destroying a full-screen
#     window would wait two seconds for one that never answers;
#   - no crash dialog: a program that crashes gets Wine's debugger, which prints the fault and
#     the backtrace and ends it, instead of a dialog that waits for a click nobody gives (a
#     test would hang until its time limit);
#   - Wine's own Direct3D draws on the program's thread (csmt off). With its command thread, the
#     program waits for that thread whenever a Present is ahead of the frame latency or a Map
#     needs the picture, and those waits spin: a whole core busy doing nothing, beside a
#     software rasteriser that needs it. DXVK's waits block, and it keeps its own thread.
# The marker records that the prefix has them (and DXVK, in its prefix); its name changes with
# the settings, so that older prefixes get them.
settings=settings-3
marker=$(d3dReadyMarker "$settings")
prefixSettings() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Direct3D' /v csmt /t REG_DWORD /d 0 /f >/dev/null 2>&1
}
# A new prefix is a copy of a template, made once under build/ with the settings above: wineboot
# takes 10 to 40 s of the processors, the copy a moment. Its programs and libraries (690 MB,
# which only an update of Wine rewrites, for every prefix alike) are hard links, so that no
# copy floods the disk while timed runs record; everything else is a file of its own.
copyTemplate() {
  local template=$here/build/wineprefix-template
  (
    flock 8
    [ -f "$template/.nimbra-template-$settings" ] && exit 0
    rm -rf "$template"
    # At normal priority, also for a run that has a real-time one (scripts/session.sh).
    chrt -o -p 0 "$BASHPID" >/dev/null 2>&1
    export WINEPREFIX=$template WINEDLLOVERRIDES=$wineOverrides
    wineboot -i >/dev/null 2>&1 && prefixSettings || exit 1
    wineserver -w
    touch "$template/.nimbra-template-$settings"
  ) 8>"$template.lock" || return 1
  mkdir -p "$WINEPREFIX" && cp -al "$template/." "$WINEPREFIX/" || return 1
  (cd "$template" && find . -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.drv' ! -iname '*.sys' -print0 |
    xargs -0 cp -p --parents --remove-destination -t "$WINEPREFIX") && rm "$WINEPREFIX/.nimbra-template-$settings"
}
if [ ! -f "$marker" ]; then
  # The first run makes the prefix; a lock keeps parallel tests from racing.
  (
    flock 9
    if [ ! -f "$marker" ]; then
      if [ -f "$WINEPREFIX/system.reg" ]; then prefixSettings; else copyTemplate; fi &&
        d3dPreparePrefix && touch "$marker"
      # Its server ends before the first program starts, so that every run starts its own.
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
d3dDesktopSize
# --output-apart (ctest's emulator): the program writes into a file that is copied out as it
# grows, and the run ends with the program. A service the program starts on demand (Wine's
# device host for sound, say) inherits its output and lives until the prefix's server ends, which
# other tests' programs can put off for minutes: with ctest's pipe it would hold the test open.
apart=""
if [ "${1:-}" = --output-apart ]; then
  apart=1
  shift
fi
# The program's exit code as Windows gives it: Wine ends a process whose Unix side is still
# exiting a second after its last thread (its graphics libraries' destructors, on a loaded
# machine) with SIGKILL, so wine's own status can say 137 where the program returned 0. The
# Windows build's exit-witness.exe starts the program, waits for it and writes its code to a file;
# where it is missing (a build without tests) or NIMBRA_EXIT_WITNESS is empty, the program runs
# bare. The witness ends with this script (a parent-death signal), and the program with it.
witness=${NIMBRA_EXIT_WITNESS-$here/build/win64/tests/support/exit-witness.exe}
if [ -z "$witness" ] || [ ! -f "$witness" ] || [ ! -f "${1:-}" ] || [[ ${1,,} != *.exe ]]; then
  [ -n "$apart" ] || exec wine "$@"
  witness=""
fi
codeFile=""
run=(wine "$@")
if [ -n "$witness" ]; then
  codeFile=$(mktemp)
  program=$1
  [[ $program == /* ]] || program=$PWD/$program
  run=(setpriv --pdeathsig KILL wine "$witness" "Z:$codeFile" "Z:$program" "${@:2}")
fi
if [ -n "$apart" ]; then
  log=$(mktemp)
  "${run[@]}" >"$log" 2>&1 &
  running=$!
  tail -n +1 -s 0.1 -f --pid="$running" "$log" &
  copier=$!
else
  "${run[@]}" &
  running=$!
fi
trap 'kill "$running" 2>/dev/null' TERM INT
wait "$running"
status=$?
while kill -0 "$running" 2>/dev/null; do  # a signal's trap ended the wait, not the program
  wait "$running"
  status=$?
done
[ -n "$apart" ] && wait "$copier" && rm -f "$log"
if [ -n "$codeFile" ]; then
  code=$(cat "$codeFile" 2>/dev/null)
  rm -f "$codeFile"
  [ -n "$code" ] && status=$((code % 256))
fi
exit $status
