#!/usr/bin/env python3
"""Escape pressed in another window of the same Wine desktop (tests/e2e/OtherWindow.cpp, as a
console or an editor beside the programs) under Wine, without a Direct3D device:
- pressed there before demo.exe starts, it does not end demo.exe's show; Escape in demo.exe's
  window still does;
- pressed there while demo-sync runs, it does not end demo-sync; Escape in demo-sync's window
  still does.
The other window says when it got the key, so each press is known to have reached the desktop
before the program is looked at; the programs are then watched over many turns of their loops.

usage: escape-elsewhere-test.py DEMO_SYNC.exe SOURCE_DIR WORK_DIR DEMO.exe OTHER_WINDOW.exe [unittest arguments]
It runs itself inside scripts/session.sh --no-gl, in the Wine prefix build/wineprefix-sync.
"""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demosync  # noqa: E402
from demosync import harness  # noqa: E402
from demosync import ESCAPE_LIMIT_MS, WAIT, Demo, free_port  # noqa: E402

DEMO_SYNC, SOURCE, WORK = demosync.setup(sys.argv, ['--no-gl'], __doc__)
DEMO, OTHER = (os.path.abspath(a) for a in sys.argv[4:6])
ESCAPE = 27  # VK_ESCAPE


def wine(program, **pipes):
    return harness.start(program, cwd=WORK, stdin=subprocess.DEVNULL, **pipes)


def x_window(name, process):
    """The X id of the window named `name`, once it exists."""
    window = harness.wait_window(f'^{name}$', process)
    if window is not None:
        return window
    if process.poll() is not None:
        raise AssertionError(f'{name}: the program ended (code {process.returncode}) without its window')
    raise AssertionError(f'the window {name} never appeared')


def press_escape_in(window):
    harness.press(window, 'Escape')


class OtherWindow:
    """other-window.exe; press() returns once the window itself has got Escape."""

    def __init__(self):
        self.process = wine(OTHER, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.window = x_window('other window', self.process)

    def press(self):
        press_escape_in(self.window)
        # A pipe read has no time limit of its own; the program ends itself within two minutes.
        for line in self.process.stdout:
            if line.split() == [b'key', str(ESCAPE).encode()]:
                return
        raise AssertionError('the other window ended without getting Escape')

    def close(self):
        """Q ends it; Wine then activates the window under it, as a click on that window would."""
        harness.press(self.window, 'q')
        try:
            self.process.wait(WAIT)
        except subprocess.TimeoutExpired:
            raise AssertionError('the other window did not close on Q') from None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


def sound_playing():
    return subprocess.run(['pactl', 'list', 'short', 'sink-inputs'], capture_output=True, text=True).stdout.strip()


class EscapeElsewhereTest(unittest.TestCase):
    def setUp(self):
        self.other = None
        self.demo = None
        self.sync = None

    def tearDown(self):
        for process in (self.demo,):
            if process and process.poll() is None:
                process.kill()
                process.wait()
        if self.other:
            self.other.stop()
        if self.sync:
            self.sync.stop()  # also ends the prefix's Wine server
        else:
            harness.end_prefix_programs()

    def expect_escape_ends(self, process, window):
        press_escape_in(window)
        pressed = time.monotonic()
        try:
            code = process.wait(ESCAPE_LIMIT_MS / 1000 + 20)
        except subprocess.TimeoutExpired:
            raise AssertionError('still running 20 s after Escape in its own window') from None
        after = (time.monotonic() - pressed) * 1000
        self.assertEqual(code, 0)
        self.assertLessEqual(after, ESCAPE_LIMIT_MS, 'ms from Escape to the end')

    def test_escape_before_demo_starts_ends_nothing(self):
        self.other = OtherWindow()
        self.other.press()
        self.demo = wine(DEMO, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = x_window('demo', self.demo)
        # The sound starts in the first turn, after that turn's Escape test; without a device a
        # turn waits about a refresh, so two seconds on are over a hundred turns.
        deadline = time.monotonic() + WAIT
        while not sound_playing():
            if self.demo.poll() is not None:
                self.fail(f'demo.exe ended (code {self.demo.returncode}) before its sound started')
            if time.monotonic() > deadline:
                self.fail('the sound never started')
            time.sleep(0.05)
        time.sleep(2)
        self.assertIsNone(self.demo.poll(), 'Escape pressed in another window before the start ended the show')
        self.expect_escape_ends(self.demo, window)

    def test_escape_beside_demo_sync_ends_it_only_in_its_own_window(self):
        self.sync = Demo(free_port())
        window = self.sync.window()
        self.sync.still_turning()
        self.other = OtherWindow()
        self.other.press()
        # Half a second of music on from a turn after the press: the loop kept turning.
        after = self.sync.current()
        self.sync.wait_state(lambda s: s['time'] >= after['time'] + 0.5, 'the music half a second on')
        # Without a window manager, X's focus alone does not make a window active again: the
        # other window goes, and demo-sync's is the active one once more.
        self.other.close()
        self.expect_escape_ends(self.sync.process, window)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[6:], verbosity=2)
