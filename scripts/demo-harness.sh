#!/usr/bin/env bash
# scripts/demo-harness.sh [OPTIONS] PROGRAM.exe [ACTION...]
#
# Runs a Windows program under Wine on a private virtual display and sound sink
# (scripts/session.sh), waits for its window, performs the ACTIONs in order, and reports what
# happened. Every process it starts is ended by its pid; every wait has a time limit, so a run
# can never hang.
#
# Options:
#   --size WxH         screen size of the virtual display (default 640x360)
#   --no-sound         no PulseAudio sink (the program finds no audio device)
#   --no-gl            a display without OpenGL: Wine's own Direct3D cannot create a device
#   --title REGEX      window name to wait for (xdotool search --name; default '^demo$', and
#                      under DXVK the Wine virtual desktop that holds the program's windows)
#   --window-timeout S how long to wait for the window (default 60; a new Wine prefix takes ~20)
#   --timeout S        limit for the whole run after the window appeared (default 60)
#   --record FILE.wav  record the sound sink for the whole run (float stereo 44,100 Hz)
#   --log FILE         the program's standard error (with WINEDEBUG set, Wine's traces) to FILE
#
# Actions, after the window has appeared (a time S is seconds, fractions allowed, or Nf: N
# frame units, the time from the window to the first picture that picture: measured):
#   sleep:S            wait S
#   key:KEYS           press keys with xdotool (key:Escape, key:alt+F4)
#   close:TOOL.exe     post WM_CLOSE to the window with TOOL (tests/e2e/PostClose.cpp) in the
#                      same prefix; the moment it was posted counts as the event
#   shot:FILE.png      screenshot of the whole screen
#   picture:S          wait up to S until the screen is not uniform black (the first frame has
#                      been presented); reports picture_ms (process start to then) or
#                      picture_ms=none, and sets the frame unit
#   changed:S          wait up to S until the screen differs from the last shot; reports
#                      changed_ms (the last shot to then) or changed_ms=none
#   exit:S             wait up to S for the program to end by itself
#   exit-if-sound:S    if the program plays into the sound sink, wait up to S for it to end by
#                      itself (reports sound=yes|no); otherwise go on at once
# When the actions are done and the program still runs, it is killed (exit_code=killed).
#
# Report, on standard output, one key=value per line:
#   window_ms=N                 process start to window
#   window_id=N, window_name=NAME, window_geometry=WxH+X+Y
#   shot=FILE shot_min=A shot_max=B shot_hash=H   darkest and brightest grey level of a
#                               screenshot (0..255) and a hash of its pixels
#   frame_unit_ms=N             the frame unit, once picture: has seen the first picture
#   event=key:KEYS|close        the last key press or WM_CLOSE
#   exit_after_event_ms=N       that event to the end of the process
#   exit_code=N|killed          the program's exit code, or killed when it had to be ended
#   run_ms=N                    process start to its end
# A program that never shows its window reports window_id=none, windows_seen=NAME|NAME|...
# (every window name the display showed meanwhile, or none), its exit code and, when it ended,
# run_ms (after a second run, as below; NIMBRA_RETRY_LOG, default build/retries.log, gets a line
# per retry).
# Messages go to standard error. Exit status: the program's exit code; 124 when it had to be
# killed; 125 when the harness itself failed (bad arguments, a missing tool) or no window
# appeared.
#
# Runs share one Wine prefix of their own (build/wineprefix-e2e, build/wineprefix-e2e-dxvk under
# DXVK) and take turns through a lock, because Wine programs of one prefix share the screen size
# and the keyboard state. NIMBRA_D3D picks the Direct3D 11 (scripts/direct3d.sh).
# Each run ends the program, the Wine server of the prefix, the display and the sink it started.
# Example:  scripts/demo-harness.sh build/win64/demo.exe sleep:1 shot:out/a.png key:Escape exit:5
set -u
here=$(cd "$(dirname "$0")/.." && pwd)

source "$here/scripts/direct3d.sh"
d3dChoose || exit 125
sessionArgs=()
title='^demo$'
# Under DXVK the program's windows live inside the virtual desktop's one X window.
[ "$nimbraD3d" = dxvk ] && title=' - Wine desktop$'
windowTimeout=60
runTimeout=60
record=""
log=""
while [ $# -gt 0 ]; do
  case "$1" in
    --size) sessionArgs+=(--size "$2"); shift 2 ;;
    --no-sound) sessionArgs+=(--no-sound); shift ;;
    --no-gl) sessionArgs+=(--no-gl); shift ;;
    --title) title=$2; shift 2 ;;
    --window-timeout) windowTimeout=$2; shift 2 ;;
    --timeout) runTimeout=$2; shift 2 ;;
    --record) record=$2; shift 2 ;;
    --log) log=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "demo-harness: unknown option $1" >&2; exit 125 ;;
    *) break ;;
  esac
done
if [ $# -lt 1 ]; then
  sed -n '2,40p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 125
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
if [ ! -f "$program" ]; then echo "demo-harness: no program $program" >&2; exit 125; fi
for tool in xdotool:xdotool import:imagemagick convert:imagemagick identify:imagemagick; do
  if ! command -v "${tool%%:*}" >/dev/null; then
    echo "demo-harness: ${tool%%:*} is missing; install it with scripts/setup.sh (Debian package ${tool#*:})" >&2
    exit 125
  fi
done

export NIMBRA_WINEPREFIX="${NIMBRA_E2E_WINEPREFIX:-$here/build/wineprefix-e2e}"
export WINEPREFIX=$(d3dPrefix "$NIMBRA_WINEPREFIX")
export WINEDEBUG="${WINEDEBUG:--all}"

# --- Outside: take the prefix's lock, then run the inside part in a session of its own. ---
if [ -z "${NIMBRA_HARNESS_INSIDE:-}" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.harness-lock"
  if ! flock -w 600 9; then echo "demo-harness: prefix busy for 10 minutes" >&2; exit 125; fi
  # The session and the lock holder end together; the limit is a last resort.
  limit=$((windowTimeout + runTimeout + 60))
  inside() {
    NIMBRA_HARNESS_INSIDE=1 timeout -k 5 "$limit" \
      bash "$here/scripts/session.sh" "${sessionArgs[@]}" -- bash "$0" --title "$title" \
      --window-timeout "$windowTimeout" --timeout "$runTimeout" ${record:+--record "$record"} \
      ${log:+--log "$log"} "$program" "$@" 9>&-
  }
  # Wine starts each fresh server's desktop process (explorer) on the first window and waits
  # 10 s for it; on a busy machine it can miss that, and then no window of the run can be
  # made. So a run without a window is made once more; a program that never shows one fails
  # both times. The first attempt's report goes to standard error, and a line to the retries
  # log, which `make test` counts, so that a retry that becomes the rule is seen.
  result=$(inside "$@")
  status=$?
  if echo "$result" | grep -qx 'window_id=none'; then
    echo "demo-harness: RETRY: no window (status $status); running once more, as Wine's desktop may have missed its start-up limit. The first attempt reported:" >&2
    echo "$result" | sed 's/^/demo-harness:   /' >&2
    retries=${NIMBRA_RETRY_LOG:-$here/build/retries.log}
    mkdir -p "$(dirname "$retries")"
    seen=$(echo "$result" | sed -n 's/^windows_seen=//p')
    ran=$(echo "$result" | sed -n 's/^run_ms=//p')
    echo "${NIMBRA_TEST_NAME:-$(basename "$program")} no window (status $status${ran:+, ended after $ran ms}," \
      "windows seen: ${seen:-none}), ran once more" >> "$retries"
    result=$(inside "$@")
    status=$?
    echo "demo-harness: RETRY: the second attempt ended with status $status" >&2
  fi
  [ -z "$result" ] || echo "$result"
  exit $status
fi

# --- Inside the session: DISPLAY and the sound sink are ours. ---
# The polls below run for minutes beside software rendering, so they start no process: the clock
# is bash's own and a pause reads, with a time limit, from a pipe that no one writes to. With
# date and sleep, polling every 20 ms kept half a core busy.
now_ms() { echo $(( ${EPOCHREALTIME/[.,]/} / 1000 )); }
before() { (( ${EPOCHREALTIME/[.,]/} / 1000 < $1 )); }
exec 7<> <(:)
pause() { read -r -t "$1" -u 7; }
alive() { kill -0 "$1" 2>/dev/null; }
report() { echo "$1=$2"; }

started=()
stopPid() {  # TERM, a moment's grace, then KILL; only processes this script started
  local pid=$1
  alive "$pid" || return 0
  kill "$pid" 2>/dev/null
  for _ in $(seq 20); do alive "$pid" || break; sleep 0.1; done
  alive "$pid" && kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
# The program and the recorder first; then the Wine server, which leaves by itself once the
# prefix's helper programs (services, devices, explorer) have gone. Killing only the server
# would orphan those helpers, so a server that stays is asked to end its programs first.
cleanup() {
  local i
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    [ "${started[$i]}" = "${server:-}" ] || stopPid "${started[$i]}"
  done
  [ -n "${server:-}" ] || return 0
  for _ in $(seq 50); do alive "$server" || break; sleep 0.1; done
  if alive "$server"; then
    wineserver -k 2>/dev/null
    for _ in $(seq 30); do alive "$server" || break; sleep 0.1; done
  fi
  stopPid "$server"
}
trap cleanup EXIT

# Create the prefix if needed (first use takes ~20 s; wine-run.sh serialises it) and, under DXVK,
# size its virtual desktop to this display before the server below starts.
bash "$here/scripts/wine-run.sh" --version >/dev/null 2>&1

# A Wine server of our own that leaves as soon as the last program of the prefix has ended,
# so the next run starts with a fresh desktop on its own display.
wineserver -f -p0 >/dev/null 2>&1 &
server=$!
started+=("$server")

if [ -n "$record" ] && [ -n "${NIMBRA_SINK:-}" ]; then
  parec --device="$NIMBRA_SINK.monitor" --format=float32le --rate=44100 --channels=2 \
    --file-format=wav "$record" &
  started+=($!)
fi

t0=$(now_ms)
bash "$here/scripts/wine-run.sh" "$program" >/dev/null 2>"${log:-/dev/null}" &
pid=$!
started+=("$pid")
exitCode=""
ended=""
lastEvent=""
frameUnit=""
lastShot=""

# Polls until the program ends or the deadline (in ms) passes; records its exit code.
waitExit() {
  local deadline=$1
  while alive "$pid" && before "$deadline"; do pause 0.02; done
  if ! alive "$pid" && [ -z "$exitCode" ]; then
    wait "$pid"
    exitCode=$?
    ended=$(now_ms)
  fi
}

window=""
# The names of the windows on the display, looked at every two seconds while the one awaited is
# missing: a run without it then tells whether the program's own window came up outside Wine's
# desktop, or no window at all.
seen=""
lastLook=0
deadline=$(( t0 + windowTimeout * 1000 ))
while [ -z "$window" ] && alive "$pid" && before "$deadline"; do
  window=$(xdotool search --name "$title" 2>/dev/null | head -n1)
  if [ -z "$window" ] && [ $(( $(now_ms) - lastLook )) -ge 2000 ]; then
    lastLook=$(now_ms)
    seen=$( (echo "$seen" | tr '|' '\n'; xdotool search --name . getwindowname %@ 2>/dev/null) |
            sed '/^$/d' | sort -u | paste -sd '|')
  fi
  [ -z "$window" ] && pause 0.1
done
if [ -z "$window" ]; then
  waitExit "$(now_ms)"
  report window_id none
  report windows_seen "${seen:-none}"
  if [ -n "$exitCode" ]; then
    echo "demo-harness: the program ended (code $exitCode) without a window" >&2
    report exit_code "$exitCode"
    report run_ms $(( ended - t0 ))
  else
    echo "demo-harness: no window '$title' within $windowTimeout s" >&2
    report exit_code killed
  fi
  exit 125
fi
windowMs=$(( $(now_ms) - t0 ))
report window_ms "$windowMs"
report window_id "$window"
report window_name "$(xdotool getwindowname "$window" 2>/dev/null)"
eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
report window_geometry "${WIDTH:-0}x${HEIGHT:-0}+${X:-0}+${Y:-0}"
# Without a window manager the keyboard focus has to be given to the window explicitly.
xdotool windowfocus "$window" 2>/dev/null

# Milliseconds of a time argument: seconds, or Nf frame units (0 until picture: has measured one).
duration_ms() {
  case "$1" in
    *f) awk -v n="${1%f}" -v u="${frameUnit:-0}" 'BEGIN { printf "%d", n * u }' ;;
    *) awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }' ;;
  esac
}
# The deadline of a wait of `duration`, never beyond the run's own limit.
deadline_of() {
  local end=$(( $(now_ms) + $(duration_ms "$1") ))
  [ "$end" -gt "$runDeadline" ] && end=$runDeadline
  echo "$end"
}
# The screen as "BRIGHTEST HASH" (brightest is 0 for uniform black): one grab by the host tool
# screen-probe (make host), or ImageMagick's when it is not built, which costs three times more.
screenProbe=$here/build/host/tools/screen-probe/screen-probe
screen_look() {
  if [ -x "$screenProbe" ]; then
    "$screenProbe" 2>/dev/null
  else
    import -window root -format '%[fx:int(255*maxima)] %#' info: 2>/dev/null
  fi
}

runDeadline=$(( $(now_ms) + runTimeout * 1000 ))
for action in "$@"; do
  [ "$(now_ms)" -ge "$runDeadline" ] && { echo "demo-harness: run time limit reached" >&2; break; }
  verb=${action%%:*}
  arg=${action#*:}
  case "$verb" in
    sleep) sleep "$(awk -v m="$(duration_ms "$arg")" 'BEGIN { printf "%.3f", m / 1000 }')" ;;
    key)
      if alive "$pid"; then
        lastEvent=$(now_ms)
        xdotool key "$arg" 2>/dev/null
        report event "key:$arg"
      fi ;;
    close)
      if alive "$pid"; then
        posted=$(bash "$here/scripts/wine-run.sh" "$arg" "$(xdotool getwindowname "$window" 2>/dev/null)" |
                 tr -d '\r' | sed -n 's/^posted_unix_ms=//p')
        if [ -n "$posted" ]; then
          lastEvent=$posted
          report event close
        else
          echo "demo-harness: WM_CLOSE could not be posted" >&2
        fi
      fi ;;
    shot)
      mkdir -p "$(dirname "$arg")"
      if import -window root "$arg" 2>/dev/null; then
        report shot "$arg"
        report shot_min "$(convert "$arg" -colorspace Gray -format '%[fx:int(255*minima+0.5)]' info:)"
        report shot_max "$(convert "$arg" -colorspace Gray -format '%[fx:int(255*maxima+0.5)]' info:)"
        report shot_hash "$(identify -format '%#' "$arg")"
        # What changed: compares with, looked at after the shot: at worst a frame later, never earlier.
        lastShot=$(screen_look)
        lastShot=${lastShot#* }
      else
        echo "demo-harness: screenshot $arg failed" >&2
      fi ;;
    exit) waitExit "$(deadline_of "$arg")" ;;
    picture)
      end=$(deadline_of "$arg")
      seen=none
      while alive "$pid" && before "$end"; do
        look=$(screen_look)
        if [ "${look%% *}" -gt 0 ] 2>/dev/null; then
          seen=$(( $(now_ms) - t0 ))
          break
        fi
        pause 0.2
      done
      report picture_ms "$seen"
      if [ "$seen" != none ]; then
        frameUnit=$(( seen - windowMs ))
        [ "$frameUnit" -lt 100 ] && frameUnit=100
        report frame_unit_ms "$frameUnit"
      fi ;;
    changed)
      end=$(deadline_of "$arg")
      from=$(now_ms)
      seen=none
      while alive "$pid" && before "$end"; do
        look=$(screen_look)
        hash=${look#* }
        if [ -n "$look" ] && [ "$hash" != "$lastShot" ]; then
          seen=$(( $(now_ms) - from ))
          break
        fi
        pause 0.2
      done
      report changed_ms "$seen" ;;
    exit-if-sound)
      if pactl list short sink-inputs 2>/dev/null | grep -q .; then
        report sound yes
        waitExit "$(deadline_of "$arg")"
      else
        report sound no
      fi ;;
    *) echo "demo-harness: unknown action $action" >&2 ;;
  esac
  [ -n "$exitCode" ] && break
done

waitExit "$(now_ms)"
status=0
if [ -z "$exitCode" ]; then
  stopPid "$pid"
  report exit_code killed
  status=124
else
  [ -n "$lastEvent" ] && report exit_after_event_ms $(( ended - lastEvent ))
  report exit_code "$exitCode"
  report run_ms $(( ended - t0 ))
  status=$exitCode
fi
exit $status
