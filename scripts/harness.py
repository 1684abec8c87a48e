#!/usr/bin/env python3
"""The one harness that drives the Windows programs end to end under Wine.

As a module (tests/e2e/demosync.py and the demo-sync tests build on it): a private session
(scripts/session.sh), a Wine prefix taken in turns, a program started through scripts/wine-run.sh,
its window found, focused and given keys, the prefix's Wine processes ended.

As a command, one run of a program with a list of actions and a report:

  scripts/harness.py [OPTIONS] PROGRAM.exe [ACTION...]

Runs PROGRAM under Wine on a private virtual display and sound sink, waits for its window,
performs the ACTIONs in order, and reports what happened. Every process it starts is ended by
its pid; every wait has a time limit, so a run can never hang.

Options:
  --size WxH         screen size of the virtual display (default 640x360)
  --no-sound         no PulseAudio sink (the program finds no audio device)
  --no-gl            a display without OpenGL: Wine's own Direct3D cannot create a device
  --title REGEX      window name to wait for (xdotool search --name; default '^demo$', and
                     under DXVK the Wine virtual desktop that holds the program's windows)
  --window-timeout S how long to wait for the window (default 60; a new Wine prefix takes ~20)
  --timeout S        limit for the whole run after the window appeared (default 60)
  --record FILE.wav  record the sound sink for the whole run (float stereo 44,100 Hz)
  --log FILE         the program's standard error (with WINEDEBUG set, Wine's traces) to FILE

Actions, after the window has appeared (a time S is seconds, fractions allowed, or Nf: N frame
units, the time from the window to the first picture that picture: measured):
  sleep:S            wait S
  key:KEYS           press keys with xdotool (key:Escape, key:alt+F4)
  close:TOOL.exe     post WM_CLOSE to the window with TOOL (tests/e2e/PostClose.cpp) in the
                     same prefix; the moment it was posted counts as the event
  shot:FILE.png      screenshot of the whole screen
  picture:S          wait up to S until the screen is not uniform black (the first frame has
                     been presented); reports picture_ms (process start to then) or
                     picture_ms=none, and sets the frame unit
  changed:S          wait up to S until the screen differs from the last shot; reports
                     changed_ms (the last shot to then) or changed_ms=none
  exit:S             wait up to S for the program to end by itself
  exit-if-sound:S    if the program plays into the sound sink, wait up to S for it to end by
                     itself (reports sound=yes|no); otherwise go on at once
When the actions are done and the program still runs, it is killed (exit_code=killed).

Report, on standard output, one key=value per line:
  window_ms=N                 process start to window
  window_id=N, window_name=NAME, window_geometry=WxH+X+Y
  shot=FILE shot_min=A shot_max=B shot_hash=H   darkest and brightest grey level of a
                              screenshot (0..255) and a hash of its pixels
  frame_unit_ms=N             the frame unit, once picture: has seen the first picture
  event=key:KEYS|close        the last key press or WM_CLOSE
  exit_after_event_ms=N       that event to the end of the process
  exit_code=N|killed          the program's exit code, or killed when it had to be ended
  run_ms=N                    process start to its end
A program that never shows its window reports window_id=none, windows_seen=NAME|NAME|... (every
window name the display showed meanwhile, or none), its exit code and, when it ended, run_ms
(after a second run, as below; NIMBRA_RETRY_LOG, default build/retries.log, gets a line per
retry).
Messages go to standard error. Exit status: the program's exit code; 124 when it had to be
killed; 125 when the harness itself failed (bad arguments, a missing tool) or no window appeared.

Runs share one Wine prefix of their own (build/wineprefix-e2e, build/wineprefix-e2e-dxvk under
DXVK) and take turns through a lock, because Wine programs of one prefix share the screen size
and the keyboard state. NIMBRA_D3D picks the Direct3D 11 (scripts/direct3d.sh).
Each run ends the program, the Wine server of the prefix, the display and the sink it started.
Example:  scripts/harness.py build/win64/demo.exe sleep:1 shot:out/a.png key:Escape exit:5
"""
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(SOURCE, 'scripts/wine-run.sh')
SCREEN_PROBE = os.path.join(SOURCE, 'build/host/tools/screen-probe/screen-probe')
# Limits on waits for things that must happen: they keep a broken run from hanging, and no
# verdict depends on them (each wait ends as soon as its condition holds).
WAIT = 60.0
# The harness's own failures (bad arguments, a missing tool, no window), beside a program's codes.
HARNESS_FAILED = 125


def say(message):
    print('harness: ' + message, file=sys.stderr, flush=True)


def now_ms():
    """Wall-clock milliseconds: PostClose reports the moment it posted on the same clock."""
    return int(time.time() * 1000)


# --- The session, the prefix and the tools ---

def direct3d():
    """The Direct3D 11 the runs draw with (scripts/direct3d.sh checks the switches and exports them)."""
    chosen = subprocess.run(['bash', '-c', 'source "$1" && d3dChoose && echo "$NIMBRA_D3D $NIMBRA_VULKAN"', '-',
                             os.path.join(SOURCE, 'scripts/direct3d.sh')], capture_output=True, text=True)
    if chosen.returncode != 0:
        print(chosen.stderr.strip(), file=sys.stderr)
        sys.exit(HARNESS_FAILED)
    os.environ['NIMBRA_D3D'], os.environ['NIMBRA_VULKAN'] = chosen.stdout.split()
    return os.environ['NIMBRA_D3D']


def wine_prefix():
    """The prefix the runs use: under DXVK one of its own beside the base (scripts/direct3d.sh)."""
    return os.environ['NIMBRA_WINEPREFIX'] + ('-dxvk' if os.environ.get('NIMBRA_D3D') == 'dxvk' else '')


def require(tools):
    """A missing tool is a failed run that says how to get it, never a silent skip."""
    for tool, package in tools:
        if not shutil.which(tool):
            say(f'{tool} is missing; install it with scripts/setup.sh (Debian package {package})')
            sys.exit(HARNESS_FAILED)


def run_inside_session(argv, session_flags, marker):
    """Runs this script again inside scripts/session.sh, unless the environment has `marker`."""
    if os.environ.get(marker):
        return
    os.environ[marker] = '1'
    os.execvp('bash', ['bash', os.path.join(SOURCE, 'scripts/session.sh'), *session_flags, '--', sys.executable]
              + argv)


def take_turn(suffix, limit_s=None):
    """Holds the prefix's lock named by `suffix` until the returned file is closed (or the process
    ends); None when another run held it beyond `limit_s`. The file is not inherited."""
    path = wine_prefix() + suffix
    os.makedirs(os.path.dirname(path), exist_ok=True)
    lock = open(path, 'w')
    deadline = None if limit_s is None else time.monotonic() + limit_s
    while True:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | (fcntl.LOCK_NB if deadline else 0))
            return lock
        except BlockingIOError:
            if time.monotonic() > deadline:
                lock.close()
                return None
            time.sleep(0.2)


def end_prefix_programs():
    """Ends every Wine process of the prefix (its server, its desktop and helper programs)."""
    subprocess.run(['wineserver', '-k'], env=dict(os.environ, WINEPREFIX=wine_prefix()), capture_output=True)


# --- A program, its window and keys ---

def start(program, *arguments, **popen):
    """The Windows program under Wine (scripts/wine-run.sh, which returns the program's own code)."""
    return subprocess.Popen(['bash', WINE_RUN, program, *arguments], **popen)


def exit_code(process):
    """A process's code as a shell reports it: 128 and the signal for one ended by a signal."""
    code = process.returncode
    return 128 - code if code is not None and code < 0 else code


def xdotool(*arguments):
    return subprocess.run(['xdotool', *arguments], capture_output=True, text=True).stdout


def find_window(title):
    """The first X window whose name matches the regular expression `title`, or None."""
    found = xdotool('search', '--name', title).split()
    return found[0] if found else None


def wait_window(title, process=None, timeout=WAIT):
    """Polls for the window until it exists, the process ends or the time is up."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and (process is None or process.poll() is None):
        window = find_window(title)
        if window:
            return window
        time.sleep(0.1)
    return None


def focus(window, sync=False):
    """Without a window manager the keyboard focus has to be given to the window explicitly."""
    xdotool('windowfocus', *(['--sync'] if sync else []), window)


def key(keys):
    xdotool('key', keys)


def press(window, keys):
    """Keys to the window, focused first (and waited for, as a program may have taken it)."""
    focus(window, sync=True)
    key(keys)


def window_names():
    return {name for name in xdotool('search', '--name', '.', 'getwindowname', '%@').splitlines() if name}


def screen_look():
    """The screen as (brightest, hash), brightest 0 for uniform black, or None: one grab by the
    host tool screen-probe (make host), or ImageMagick's when it is not built, three times dearer."""
    if os.access(SCREEN_PROBE, os.X_OK):
        command = [SCREEN_PROBE]
    else:
        command = ['import', '-window', 'root', '-format', '%[fx:int(255*maxima)] %#', 'info:']
    fields = subprocess.run(command, capture_output=True, text=True).stdout.split()
    try:
        return int(fields[0]), fields[1]
    except (IndexError, ValueError):
        return None


def ended_within(process, seconds):
    try:
        process.wait(seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def stop(process, grace_s=2.0):
    """TERM, a moment's grace, then KILL; only processes the harness started."""
    if process.poll() is not None:
        return
    process.terminate()
    if not ended_within(process, grace_s):
        process.kill()
        process.wait()


# --- One run with actions (the command) ---

class Run:
    """Inside the session: DISPLAY and the sound sink are ours."""

    def __init__(self, program, title, window_timeout_s, run_timeout_s, record, log):
        self.program, self.title = program, title
        self.window_timeout_s, self.run_timeout_s = window_timeout_s, run_timeout_s
        self.record, self.log = record, log
        self.started = []
        self.server = self.process = None
        self.code = None
        self.ended = None
        self.last_event = None
        self.frame_unit = None
        self.last_shot = None

    @staticmethod
    def report(name, value):
        print(f'{name}={value}', flush=True)

    def cleanup(self):
        """The program and the recorder first; then the Wine server, which leaves by itself once
        the prefix's helper programs (services, devices, explorer) have gone. Killing only the
        server would orphan those helpers, so a server that stays is asked to end its programs."""
        for process in reversed(self.started):
            if process is not self.server:
                stop(process)
        if self.server is None or ended_within(self.server, 5.0):
            return
        end_prefix_programs()
        if not ended_within(self.server, 3.0):
            stop(self.server)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, deadline):
        """Polls until the program ends or the deadline (ms) passes; records its exit code."""
        while self.alive() and now_ms() < deadline:
            time.sleep(0.02)
        if not self.alive() and self.code is None:
            self.code = exit_code(self.process)
            self.ended = now_ms()

    def duration_ms(self, text):
        """Seconds, or Nf frame units (0 until picture: has measured one)."""
        if text.endswith('f'):
            return int(float(text[:-1]) * (self.frame_unit or 0))
        return int(float(text) * 1000)

    def deadline_of(self, text):
        """The deadline of a wait of `text`, never beyond the run's own limit."""
        return min(now_ms() + self.duration_ms(text), self.run_deadline)

    def poll_screen(self, text, seen):
        """Polls the screen until `seen(look)` holds: the moment (ms) it did, or None."""
        end = self.deadline_of(text)
        while self.alive() and now_ms() < end:
            look = screen_look()
            if look is not None and seen(look):
                return now_ms()
            time.sleep(0.2)
        return None

    def go(self, actions):
        # Creates the prefix if needed (first use takes ~20 s; wine-run.sh serialises it) and,
        # under DXVK, sizes its virtual desktop to this display before the server below starts.
        subprocess.run(['bash', WINE_RUN, '--version'], capture_output=True)
        # A Wine server of our own that leaves as soon as the last program of the prefix has
        # ended, so the next run starts with a fresh desktop on its own display.
        self.server = subprocess.Popen(['wineserver', '-f', '-p0'], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        self.started.append(self.server)
        if self.record and os.environ.get('NIMBRA_SINK'):
            self.started.append(subprocess.Popen(
                ['parec', f'--device={os.environ["NIMBRA_SINK"]}.monitor', '--format=float32le', '--rate=44100',
                 '--channels=2', '--file-format=wav', self.record]))
        t0 = now_ms()
        log = open(self.log, 'w') if self.log else subprocess.DEVNULL
        self.process = start(self.program, stdout=subprocess.DEVNULL, stderr=log)
        self.started.append(self.process)

        # The names of the windows on the display, looked at every two seconds while the one
        # awaited is missing: a run without it then tells whether the program's own window came
        # up outside Wine's desktop, or no window at all.
        window, seen, last_look = None, set(), 0
        deadline = t0 + int(self.window_timeout_s * 1000)
        while window is None and self.alive() and now_ms() < deadline:
            window = find_window(self.title)
            if window is None and now_ms() - last_look >= 2000:
                last_look = now_ms()
                seen |= window_names()
            if window is None:
                time.sleep(0.1)
        if window is None:
            self.wait_exit(now_ms())
            self.report('window_id', 'none')
            self.report('windows_seen', '|'.join(sorted(seen)) or 'none')
            if self.code is not None:
                say(f'the program ended (code {self.code}) without a window')
                self.report('exit_code', self.code)
                self.report('run_ms', self.ended - t0)
            else:
                say(f"no window '{self.title}' within {self.window_timeout_s:g} s")
                self.report('exit_code', 'killed')
            return HARNESS_FAILED
        window_ms = now_ms() - t0
        self.report('window_ms', window_ms)
        self.report('window_id', window)
        self.report('window_name', xdotool('getwindowname', window).strip())
        geometry = dict(line.split('=', 1) for line in xdotool('getwindowgeometry', '--shell', window).split()
                        if '=' in line)
        self.report('window_geometry', '{}x{}+{}+{}'.format(*(geometry.get(k, 0) for k in 'WIDTH HEIGHT X Y'.split())))
        focus(window)

        self.run_deadline = now_ms() + int(self.run_timeout_s * 1000)
        for action in actions:
            if now_ms() >= self.run_deadline:
                say('run time limit reached')
                break
            verb, _, argument = action.partition(':')
            if verb == 'sleep':
                time.sleep(self.duration_ms(argument) / 1000)
            elif verb == 'key':
                if self.alive():
                    self.last_event = now_ms()
                    key(argument)
                    self.report('event', 'key:' + argument)
            elif verb == 'close':
                if self.alive():
                    name = xdotool('getwindowname', window).strip()
                    posted = [line.split('=', 1)[1] for line in subprocess.run(
                        ['bash', WINE_RUN, argument, name], capture_output=True, text=True).stdout.split()
                        if line.startswith('posted_unix_ms=')]
                    if posted:
                        self.last_event = int(posted[0])
                        self.report('event', 'close')
                    else:
                        say('WM_CLOSE could not be posted')
            elif verb == 'shot':
                self.shot(argument)
            elif verb == 'exit':
                self.wait_exit(self.deadline_of(argument))
            elif verb == 'picture':
                at = self.poll_screen(argument, lambda look: look[0] > 0)
                self.report('picture_ms', 'none' if at is None else at - t0)
                if at is not None:
                    self.frame_unit = max(at - t0 - window_ms, 100)
                    self.report('frame_unit_ms', self.frame_unit)
            elif verb == 'changed':
                since = now_ms()
                at = self.poll_screen(argument, lambda look: look[1] != self.last_shot)
                self.report('changed_ms', 'none' if at is None else at - since)
            elif verb == 'exit-if-sound':
                sound = subprocess.run(['pactl', 'list', 'short', 'sink-inputs'], capture_output=True,
                                       text=True).stdout.strip()
                self.report('sound', 'yes' if sound else 'no')
                if sound:
                    self.wait_exit(self.deadline_of(argument))
            else:
                say('unknown action ' + action)
            if self.code is not None:
                break

        self.wait_exit(now_ms())
        if self.code is None:
            stop(self.process)
            self.report('exit_code', 'killed')
            return 124
        if self.last_event is not None:
            self.report('exit_after_event_ms', self.ended - self.last_event)
        self.report('exit_code', self.code)
        self.report('run_ms', self.ended - t0)
        return self.code

    def shot(self, path):
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        if subprocess.run(['import', '-window', 'root', path], capture_output=True).returncode != 0:
            say(f'screenshot {path} failed')
            return

        def grey(measure):
            return subprocess.run(['convert', path, '-colorspace', 'Gray', '-format',
                                   f'%[fx:int(255*{measure}+0.5)]', 'info:'], capture_output=True, text=True).stdout
        self.report('shot', path)
        self.report('shot_min', grey('minima'))
        self.report('shot_max', grey('maxima'))
        self.report('shot_hash', subprocess.run(['identify', '-format', '%#', path], capture_output=True,
                                                text=True).stdout)
        # What changed: compares with, looked at after the shot: at worst a frame later, never earlier.
        look = screen_look()
        self.last_shot = look[1] if look else None


def parse(argv):
    """The options and the program; None after saying why when they are not usable."""
    options = {'session': [], 'title': None, 'window_timeout_s': 60.0, 'run_timeout_s': 60.0, 'record': '',
               'log': ''}
    valued = {'--title': 'title', '--window-timeout': 'window_timeout_s', '--timeout': 'run_timeout_s',
              '--record': 'record', '--log': 'log'}
    rest = list(argv)
    while rest and rest[0].startswith('-'):
        option = rest.pop(0)
        if option == '--':
            break
        if option in ('--no-sound', '--no-gl'):
            options['session'].append(option)
        elif option == '--size' and rest:
            options['session'] += [option, rest.pop(0)]
        elif option in valued and rest:
            value = rest.pop(0)
            options[valued[option]] = float(value) if option.endswith('timeout') else value
        else:
            say('unknown option ' + option)
            return None
    if not rest:
        print(__doc__, file=sys.stderr)
        return None
    options['program'] = os.path.abspath(rest[0])
    options['actions'] = rest[1:]
    if not os.path.isfile(options['program']):
        say('no program ' + options['program'])
        return None
    return options


def inside(options):
    # A TERM (the outside's time limit, the session's end) still ends what the run started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    run = Run(options['program'], options['title'], options['window_timeout_s'], options['run_timeout_s'],
              options['record'], options['log'])
    try:
        return run.go(options['actions'])
    finally:
        run.cleanup()


def outside(options, argv):
    """Takes the prefix's lock, then runs the inside part in a session of its own."""
    lock = take_turn('.harness-lock', 600)
    if lock is None:
        say('prefix busy for 10 minutes')
        return HARNESS_FAILED
    # The session and the lock holder end together; the limit is a last resort.
    limit = int(options['window_timeout_s'] + options['run_timeout_s'] + 60)
    command = ['timeout', '-k', '5', str(limit), 'bash', os.path.join(SOURCE, 'scripts/session.sh'),
               *options['session'], '--', sys.executable, os.path.abspath(__file__), *argv]

    def attempt():
        done = subprocess.run(command, env=dict(os.environ, NIMBRA_HARNESS_INSIDE='1'), stdout=subprocess.PIPE,
                              text=True, errors='replace')
        return done.stdout.strip(), exit_code(done)

    def field(report, name):
        return next((line.split('=', 1)[1] for line in report.splitlines() if line.startswith(name + '=')), '')

    # Wine starts each fresh server's desktop process (explorer) on the first window and waits
    # 10 s for it; on a busy machine it can miss that, and then no window of the run can be made.
    # So a run without a window is made once more; a program that never shows one fails both
    # times. The first attempt's report goes to standard error, and a line to the retries log,
    # which `make test` counts, so that a retry that becomes the rule is seen.
    report, status = attempt()
    if 'window_id=none' in report.splitlines():
        say(f"RETRY: no window (status {status}); running once more, as Wine's desktop may have missed its "
            'start-up limit. The first attempt reported:')
        for line in report.splitlines():
            say('  ' + line)
        retries = os.environ.get('NIMBRA_RETRY_LOG') or os.path.join(SOURCE, 'build/retries.log')
        os.makedirs(os.path.dirname(retries), exist_ok=True)
        ran = field(report, 'run_ms')
        with open(retries, 'a') as log:
            name = os.environ.get('NIMBRA_TEST_NAME') or os.path.basename(options['program'])
            log.write(f"{name} no window (status {status}{', ended after ' + ran + ' ms' if ran else ''}, "
                      f"windows seen: {field(report, 'windows_seen') or 'none'}), ran once more\n")
        report, status = attempt()
        say(f'RETRY: the second attempt ended with status {status}')
    if report:
        print(report, flush=True)
    return status


def main(argv):
    options = parse(argv)
    if options is None:
        return HARNESS_FAILED
    require((('xdotool', 'xdotool'), ('import', 'imagemagick'), ('convert', 'imagemagick'),
             ('identify', 'imagemagick')))
    # Under DXVK the program's windows live inside the virtual desktop's one X window.
    title = ' - Wine desktop$' if direct3d() == 'dxvk' else '^demo$'
    options['title'] = options['title'] or title
    os.environ['NIMBRA_WINEPREFIX'] = os.environ.get('NIMBRA_E2E_WINEPREFIX') or os.path.join(
        SOURCE, 'build/wineprefix-e2e')
    os.environ['WINEPREFIX'] = wine_prefix()
    os.environ['WINEDEBUG'] = os.environ.get('WINEDEBUG') or '-all'
    if os.environ.get('NIMBRA_HARNESS_INSIDE'):
        return inside(options)
    return outside(options, argv)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
