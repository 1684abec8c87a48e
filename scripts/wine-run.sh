#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix and returns its exit code.
# ctest uses it as the emulator of the Windows build; scripts/session.sh provides the display.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${NIMBRA_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # The first run creates the prefix (10 to 20 s); a lock keeps parallel tests from racing.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
