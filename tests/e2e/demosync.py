"""demo-sync.exe under Wine for the end-to-end tests, on the harness (scripts/harness.py): a private
session, a Wine prefix of its own, the program's log lines collected in the background and its
--dump file read turn by turn.

A test script calls setup(argv, session_flags) first: it re-runs the script inside
scripts/session.sh with those flags, then returns (demo_exe, source_dir, work_dir).
"""
import importlib.util
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
import harness  # noqa: E402

WAIT = harness.WAIT
ESCAPE_LIMIT_MS = 1000

# The files the program writes have names beyond ASCII, as a user's folders may: Windows hands a
# program its narrow arguments in the ANSI code page, which cannot name them. Wine reads a Unix
# command line in the locale's encoding, so every run has a UTF-8 locale.
DUMP = 'dümp.txt'
SAVED = 'säved.rocket'
UTF8_LOCALE = {'LC_ALL': 'C.UTF-8'}

DEMO = SOURCE = WORK = PREFIX_LOCK = None
rocket_editor = None


def setup(argv, session_flags, usage, tools=(('xdotool', 'xdotool'), ('wine', 'wine'))):
    global DEMO, SOURCE, WORK, PREFIX_LOCK, rocket_editor
    if len(argv) < 4:
        sys.exit(usage)
    DEMO, SOURCE, WORK = (os.path.abspath(a) for a in argv[1:4])
    harness.run_inside_session(argv, session_flags, 'NIMBRA_SYNC_TEST_SESSION')
    # A Wine prefix of its own, so that ending a run touches no other test's programs; the tests
    # that use it take turns, also when two ctest runs hold them (scripts/run-tests.sh).
    os.environ['NIMBRA_WINEPREFIX'] = os.path.join(SOURCE, 'build/wineprefix-sync')
    PREFIX_LOCK = harness.take_turn('.test-lock')
    harness.require(tools)
    found = importlib.util.spec_from_file_location('rocket_editor', os.path.join(SOURCE, 'tests/e2e/rocket-editor.py'))
    rocket_editor = importlib.util.module_from_spec(found)
    found.loader.exec_module(rocket_editor)
    os.makedirs(WORK, exist_ok=True)
    return DEMO, SOURCE, WORK


def free_port():
    """A loopback port nothing listens on (bound, then released)."""
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class Demo:
    """demo-sync.exe in WORK, its log lines collected in the background."""

    def __init__(self, port, *extra, width=320, height=180):
        self.folder = WORK
        self.dump = os.path.join(WORK, DUMP)
        self.saved = os.path.join(WORK, SAVED)
        for leftover in (self.dump, self.saved):
            if os.path.exists(leftover):
                os.remove(leftover)
        self.started = time.monotonic()
        self.process = harness.start(
            DEMO, '--port', str(port), '--width', str(width), '--height', str(height), '--dump', DUMP, '--save',
            SAVED, *extra, cwd=WORK, env=dict(os.environ, **UTF8_LOCALE), stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, text=True, encoding='utf-8', errors='replace')
        # Lines without the program's prefix (the compiler's messages) are kept as they are.
        self.log = rocket_editor.LogLines(self.process.stderr, '', self.process)

    def expect(self, pattern, after=0, timeout=WAIT):
        """Index of the first log line at `after` or later that matches `pattern` whole."""
        return self.log.expect('demo-sync: ' + pattern, after, timeout)

    def expect_raw(self, pattern, after=0, timeout=WAIT):
        """The same for a line printed without the program's prefix."""
        return self.log.expect(pattern, after, timeout)

    @property
    def lines(self):
        """Every log line, without the program's prefix; indexes are those expect() returns."""
        prefix = 'demo-sync: '
        return [line[len(prefix):] if line.startswith(prefix) else line for line in self.log.matching()]

    def state(self):
        """The last dump as a dictionary of numbers (None while there is none)."""
        try:
            with open(self.dump, encoding='utf-8') as f:
                text = f.read()
        except OSError:
            return None
        values = {}
        for line in text.splitlines():
            name, _, value = line.partition(' ')
            values[name] = float(value)
        return values if 'LNWIDHT' in values else None  # a whole dump ends with the last variable

    def wait_state(self, predicate, what, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            if state is not None and predicate(state):
                return state
            if self.process.poll() is not None:
                raise AssertionError(f'demo-sync ended (code {self.process.returncode}) waiting for {what}')
            if time.monotonic() > deadline:
                raise AssertionError(f'the dump never showed {what}; last: {state and dict(list(state.items())[:6])}')
            time.sleep(0.02)

    def current(self):
        """The last whole dump (the demo replaces the file every turn, so a read can fall between)."""
        return self.wait_state(lambda s: True, 'a whole dump')

    def still_turning(self):
        """The loop keeps turning: the dump is rewritten with a new time while playing."""
        first = self.wait_state(lambda s: True, 'a dump')
        self.wait_state(lambda s: s['time'] != first['time'], 'the time moving on')

    def window(self):
        """The window's X id, once it exists."""
        window = harness.wait_window('^demo-sync$')
        if window is None:
            raise AssertionError('the window never appeared')
        return window

    def press(self, *keys):
        """Keys to the window, one after another."""
        harness.focus(self.window(), sync=True)
        for name in keys:
            harness.key(name)

    def escape(self, limit_ms=ESCAPE_LIMIT_MS):
        """Escape ends it with code 0 within a second (a turn of the loop, where frames are drawn)."""
        harness.focus(self.window())
        pressed = time.monotonic()
        harness.key('Escape')
        try:
            code = self.process.wait(limit_ms / 1000 + 20)
        except subprocess.TimeoutExpired:
            raise AssertionError('still running 20 s after Escape') from None
        after = (time.monotonic() - pressed) * 1000
        if code != 0:
            raise AssertionError(f'exit code {code} after Escape')
        if after > limit_ms:
            raise AssertionError(f'ended {after:.0f} ms after Escape, limit {limit_ms} ms')
        return after

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        # Wine's own processes in the prefix inherited the log's pipe: the reader sees its end only
        # once they are gone, and closing the pipe while it reads would wait on it for ever.
        harness.end_prefix_programs()
        self.log.reader.join(WAIT)
        if not self.log.reader.is_alive():
            self.process.stderr.close()
