#!/usr/bin/env python3
"""The test editor (tests/e2e/rocket-editor.py) against the portable link over a real loopback
socket: sync-loopback-driver runs the link as the Windows program will. Every verdict is about
what happened and in which order, never about how fast.

usage: editor-loopback-test.py DRIVER EDITOR_SCRIPT SCRATCH_DIR"""
import importlib.util
import os
import queue
import re
import socket
import struct
import subprocess
import sys
import time
import unittest
import xml.etree.ElementTree as ElementTree

DRIVER, EDITOR_SCRIPT, SCRATCH = sys.argv[1:4]
del sys.argv[1:4]

found = importlib.util.spec_from_file_location('rocket_editor', EDITOR_SCRIPT)
rocket_editor = importlib.util.module_from_spec(found)
found.loader.exec_module(rocket_editor)

WAIT = 20.0  # seconds to wait for an event that must come; only a hung run takes this long
PATIENT_MS = 10 * int(WAIT * 1000)  # a greeting timeout that only a hung editor runs into
ROWS_PER_SECOND = 125 * 8 / 60


def float32(value):
    return struct.unpack('<f', struct.pack('<f', value))[0]


class Driver:
    """sync-loopback-driver with its event lines collected in the background."""

    def __init__(self, port, save_path, greeting_timeout_ms=PATIENT_MS):
        self.process = subprocess.Popen(
            [DRIVER, '--port', str(port), '--retry-ms', '100', '--greeting-timeout-ms', str(greeting_timeout_ms),
             '--save', save_path],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.log = rocket_editor.LogLines(self.process.stdout, process=self.process)

    def expect(self, pattern, after=0, timeout=WAIT):
        """Waits for a line matching `pattern` at index `after` or later; returns its index."""
        return self.log.expect(pattern, after, timeout)

    def count(self):
        return self.log.count()

    @property
    def lines(self):
        return self.log.matching()

    def reports(self, start=0, end=None):
        return [int(line.split()[1]) for line in self.log.matching(start, end) if line.startswith('report ')]

    def command(self, text):
        self.process.stdin.write(text + '\n')
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()


def read_tracks(path):
    root = ElementTree.parse(path).getroot()
    return {track.get('name'): [(int(key.get('row')), float32(float(key.get('value'))), int(key.get('interpolation')))
                                for key in track] for track in root.find('tracks')}


class LoopbackTest(unittest.TestCase):
    def setUp(self):
        os.makedirs(SCRATCH, exist_ok=True)
        self.save_path = os.path.join(SCRATCH, self.id().split('.')[-1] + '.rocket')
        if os.path.exists(self.save_path):
            os.remove(self.save_path)
        self.editor = rocket_editor.RocketEditor(port=0)
        self.driver = None

    def tearDown(self):
        if self.driver:
            self.driver.stop()
        self.editor.stop()

    def start_driver(self, **options):
        self.driver = Driver(self.editor.port, self.save_path, **options)

    def connect(self, after=0):
        self.editor.accept(WAIT)
        self.editor.greet()
        names = self.editor.wait_tracks(64, WAIT)
        return self.driver.expect('greeted', after), names

    def test_asks_for_the_64_variables_and_takes_the_editors_keys(self):
        self.editor.hold_key('CameraFOV', 3, 1.5, 0)  # held before the demo connects
        self.start_driver()
        _, names = self.connect()
        self.assertEqual(len(names), 64)
        self.assertEqual(len(set(names)), 64)
        self.assertEqual((names[0], names[13], names[63]), ('CameraPosX', 'FRAME', 'LNWIDHT'))

        self.editor.set_key('FRAME', 0, 0.1, 4)
        self.editor.set_key('FRAME', 640, 80.0, 1)
        self.editor.set_key('FRAME', 320, -7.25, 0)
        self.editor.delete_key('FRAME', 640)
        self.editor.set_key('FRAME', 0, 0.2, 4)  # same row: replaces
        self.editor.save_tracks()
        self.driver.expect('save .*')

        tracks = read_tracks(self.save_path)
        self.assertEqual(list(tracks), names)
        self.assertEqual(tracks['FRAME'], [(0, float32(0.2), 4), (320, -7.25, 0)])
        self.assertEqual(tracks['CameraFOV'], [(3, 1.5, 0)])
        # Every other track was emptied when asked for: the editor's keys are the keys.
        self.assertEqual(sum(len(keys) for keys in tracks.values()), 3)

    def test_reports_rows_while_playing_and_follows_seeks_and_pauses(self):
        self.start_driver()
        self.connect()
        self.editor.wait_rows(lambda rows: len(rows) >= 3, WAIT)

        self.editor.pause(True)
        paused = self.driver.expect('pause 1')
        self.editor.set_row(1600)
        seek = self.driver.expect('seek 1600', paused)
        # A save is a barrier: whatever the driver did before it, the editor has seen. Paused,
        # the rows stand still however long it lasts: a few rows' time goes by, and then a
        # command on the driver's input, taken at the start of a turn, shows it has looked since.
        self.editor.save_tracks()
        barrier = self.driver.expect('save .*', seek)
        time.sleep(5 / ROWS_PER_SECOND)
        self.driver.command('save ' + self.save_path)
        barrier = self.driver.expect('saved .*', barrier)
        self.assertEqual(self.driver.reports(paused), [], 'rows reported while paused')

        resuming = time.monotonic()
        self.editor.pause(False)
        resumed = self.driver.expect('pause 0', barrier)
        first = self.driver.expect('report .*', resumed)
        self.driver.expect('report .*', first + 1)
        played = time.monotonic() - resuming
        after_seek = self.driver.reports(resumed)
        self.assertGreater(after_seek[0], 1600, 'the seeked-to row is not echoed')
        # The music went on from the seek, no further than the time it has had since the resume.
        self.assertLessEqual(after_seek[0], 1600 + played * ROWS_PER_SECOND + 1,
                             f'the first row {after_seek[0]} after {played:.3f} s of play')
        self.assertEqual(after_seek, sorted(set(after_seek)), 'rows only move forward while playing')

        # The editor saw exactly what the driver reported, in order.
        count = len(self.driver.reports())
        self.editor.wait_rows(lambda rows: len(rows) >= count, WAIT)
        self.assertEqual(self.editor.rows[:count], self.driver.reports()[:count])

    def test_refused_connections_are_retried(self):
        # Nothing listens on the port at first.
        probe = socket.socket()
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
        probe.close()
        self.editor.stop()
        self.driver = Driver(port, self.save_path)
        first = self.driver.expect('connect-failed')
        self.driver.expect('connect-failed', first + 1)
        self.editor = rocket_editor.RocketEditor(port=port)
        self.connect()

    def test_garbage_closes_the_link_keeps_the_keys_and_reconnects(self):
        self.start_driver(greeting_timeout_ms=60000)
        self.connect()
        self.editor.set_key('BLANKOUT', 12, 0.75, 2)
        self.editor.send_garbage()
        fault = self.driver.expect('fault unknown command 0x7f')
        self.editor.wait_closed(WAIT)

        # The driver reconnects at once; until an editor answers, it keeps the keys it had.
        self.driver.expect('connected', fault)
        self.driver.command('save ' + self.save_path)
        self.driver.expect('saved .*', fault)
        self.assertEqual(read_tracks(self.save_path)['BLANKOUT'], [(12, 0.75, 2)])

        greeted, names = self.connect(fault)
        self.assertEqual(len(names), 64)
        self.editor.wait_rows(lambda rows: len(rows) >= 1, WAIT)

    def test_out_of_range_input_closes_the_link(self):
        self.start_driver()
        cases = [
            (lambda e: e.set_key_bits('FRAME', 5, 0x7FC00000, 0), 'not a finite number'),
            (lambda e: e.set_key(64, 5, 1.0, 0), 'track 64 was never asked for'),
            (lambda e: e.set_key('FRAME', (1 << 24) + 1, 1.0, 0), 'row 16777217'),
            (lambda e: e.set_row(0xFFFFFFFF), 'row 4294967295'),
            (lambda e: e.set_key('FRAME', 5, 1.0, 5), 'key type 5'),
            (lambda e: e.pause(True) or e.send_raw(bytes([4, 2])), 'pause flag 2'),
        ]
        after = 0
        for send, reason in cases:
            self.editor.keys.clear()  # or the editor sends the bad key again on the next connection
            self.connect(after)
            send(self.editor)
            after = self.driver.expect('fault .*' + re.escape(reason) + '.*', after)
            self.editor.wait_closed(WAIT)

    def test_an_editor_that_goes_away_mid_message(self):
        self.start_driver()
        self.connect()
        self.editor.close_mid_message(7)
        closed = self.driver.expect('closed .*middle of a message')
        self.driver.expect('connected', closed)
        self.connect(closed)

    def test_an_editor_that_never_answers_the_greeting(self):
        self.start_driver(greeting_timeout_ms=300)
        self.editor.accept(WAIT)
        self.editor.greet(answer=None)
        after = self.driver.expect('timeout greeting') + 1
        self.editor.wait_closed(WAIT)
        # Still running: it tries again, and an answer in time is taken. On a busy machine this
        # editor may answer after the short timeout; that connection then times out as well,
        # and the next one is tried.
        deadline = time.monotonic() + WAIT
        while True:
            self.editor.accept(WAIT)
            try:
                self.editor.greet()
            except (OSError, rocket_editor.EditorError):
                pass  # the driver had left this connection already
            outcome = self.driver.expect('greeted|timeout greeting', after)
            if self.driver.lines[outcome] == 'greeted':
                break
            self.assertLess(time.monotonic(), deadline, 'no answered greeting was taken')
            after = outcome + 1
        self.assertEqual(len(self.editor.wait_tracks(64, WAIT)), 64)

    def test_a_wrong_greeting(self):
        self.start_driver()
        self.editor.accept(WAIT)
        self.editor.greet(answer=b'hello, dmeo!')
        failed = self.driver.expect('fault .*greeting.*')
        self.connect(failed)

    def test_the_command_line_editor(self):
        self.editor.stop()
        probe = socket.socket()
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
        probe.close()
        editor = subprocess.Popen(
            [sys.executable, EDITOR_SCRIPT, '--port', str(port), '--timeout', str(WAIT),
             'tracks', '64', 'key', 'FRAME', '4', '2.5', '3', 'delete', '13', '4', 'key', 'POST', '9', '1', '0',
             'rows', '2', 'save'],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.driver = Driver(port, self.save_path)
        out, err = editor.communicate(timeout=2 * WAIT)
        self.assertEqual(editor.returncode, 0, err)
        lines = out.splitlines()
        self.assertIn('greeted', lines)
        self.assertIn('track 13 FRAME', lines)
        self.assertEqual(len([line for line in lines if line.startswith('row ')]), 2)
        self.driver.expect('save .*')
        tracks = read_tracks(self.save_path)
        self.assertEqual(tracks['FRAME'], [])
        self.assertEqual(tracks['POST'], [(9, 1.0, 0)])
        self.editor = rocket_editor.RocketEditor(port=0)  # for tearDown


if __name__ == '__main__':
    unittest.main(verbosity=2)
