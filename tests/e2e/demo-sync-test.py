#!/usr/bin/env python3
"""demo-sync.exe under Wine, driven by the test editor (tests/e2e/rocket-editor.py) on the
loopback address. The display has no OpenGL, so Wine has no Direct3D device and the loop turns
in milliseconds; the link, the music, seeks and row reports all run as with a picture. What the
demo does is read from its --dump file (time, row, music frame, playing, linked, every
variable's value, rewritten every turn) and its log.

usage: demo-sync-test.py DEMO_SYNC.exe SOURCE_DIR WORK_DIR [unittest arguments]
It runs itself inside scripts/session.sh --no-gl, in the Wine prefix build/wineprefix-sync.
"""
import os
import re
import struct
import sys
import time
import unittest
from xml.etree import ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demosync  # noqa: E402
from demosync import WAIT, Demo, free_port  # noqa: E402

DEMO, SOURCE, WORK = demosync.setup(sys.argv, ['--no-gl'], __doc__)
rocket_editor = demosync.rocket_editor
ROW_1600_FRAME = 4233600  # 96 s: the first frame the curves see on row 1600


def float32(value):
    return struct.unpack('<f', struct.pack('<f', value))[0]


class DemoSyncTest(unittest.TestCase):
    def setUp(self):
        self.editor = rocket_editor.RocketEditor(port=0)
        self.demo = None

    def tearDown(self):
        if self.demo:
            self.demo.stop()
        self.editor.stop()

    def connect(self, after=0):
        self.editor.accept(WAIT)
        self.editor.greet(timeout=WAIT)
        names = self.editor.wait_tracks(64, WAIT)
        self.demo.expect('greeted', after)
        return names

    def test_edits_seeks_pauses_reports_and_saves(self):
        self.demo = Demo(self.editor.port)
        names = self.connect()
        self.assertEqual((len(names), names[0], names[10], names[13], names[63]),
                         (64, 'CameraPosX', 'FCSRANGE', 'FRAME', 'LNWIDHT'))

        # Paused on row 1600: the music restarts on the row's first frame and holds there.
        self.editor.pause(True)
        self.editor.set_row(1600)
        state = self.demo.wait_state(lambda s: s['playing'] == 0 and s['music'] == ROW_1600_FRAME, 'row 1600, paused')
        reported = list(self.editor.rows)  # the rows played before the pause
        self.assertEqual((state['row'], state['time']), (1600, 96.0))
        seek = self.demo.expect('seek 1600')
        restart = self.demo.expect(r'music 4233600 \d+', seek)
        print(f'seek to row 1600: {self.demo.lines[restart].split()[2]} ms', file=sys.stderr)

        # The variables follow the edits; a Quartic key (type 4) passes through.
        self.editor.set_key('FCSRANGE', 0, 0.75, 0)
        self.editor.set_key('FRAME', 1600, 2.5, 4)
        self.demo.wait_state(lambda s: s['FCSRANGE'] == 0.75 and s['FRAME'] == 2.5, 'the edited values')
        self.editor.delete_key('FCSRANGE', 0)
        self.demo.wait_state(lambda s: s['FCSRANGE'] == 0 and s['FRAME'] == 2.5, 'the key deleted')
        paused = self.demo.wait_state(lambda s: True, 'a dump')
        self.assertEqual(paused['music'], ROW_1600_FRAME, 'the music moved while paused')
        self.assertEqual(self.editor.rows, reported, 'rows reported while paused')

        # Playing, the music moves on from the row and every new row goes to the editor.
        self.editor.pause(False)
        self.demo.wait_state(lambda s: s['playing'] == 1 and s['music'] > ROW_1600_FRAME + 44100, 'a second played')
        rows = self.editor.wait_rows(lambda r: len(r) >= len(reported) + 10, WAIT)[len(reported):]
        self.assertGreater(rows[0], 1600, 'the seeked row is not echoed')
        self.assertLess(rows[0], 1700)
        self.assertEqual(rows, sorted(set(rows)), 'rows only move forward while playing')

        self.editor.save_tracks()
        self.demo.expect('save ' + demosync.SAVED)
        tracks = {t.get('name'): [(int(k.get('row')), float(k.get('value')), int(k.get('interpolation'))) for k in t]
                  for t in ElementTree.parse(self.demo.saved).getroot().find('tracks')}
        self.assertEqual(list(tracks), names)
        self.assertEqual(tracks['FRAME'], [(1600, 2.5, 4)])
        self.assertEqual(tracks['FCSRANGE'], [])

        after = self.demo.escape()
        print(f'Escape: exit code 0 after {after:.0f} ms', file=sys.stderr)

    def test_burst_of_ten_thousand_keys(self):
        self.demo = Demo(self.editor.port)
        self.connect()
        self.editor.pause(True)
        self.editor.set_row(0)
        self.demo.wait_state(lambda s: s['playing'] == 0 and s['row'] == 0, 'paused on row 0')
        # 10,000 SET_KEY on one track, rows 9,999 down to 0, sent in one go: the last is the key on
        # row 0, whose value the dump shows once the whole burst is in.
        index = self.editor.track_index('FRAME')
        burst = b''.join(self.editor.set_key_bytes(index, 9999 - i, float(i), 0) for i in range(10000))
        sent = time.monotonic()
        self.editor.send_raw(burst)
        self.demo.wait_state(lambda s: s['FRAME'] == 9999.0, 'the last key of the burst', WAIT)
        took = time.monotonic() - sent
        print(f'burst: 10,000 SET_KEY applied in {took * 1000:.0f} ms ({10000 / took:,.0f} messages/s, '
              'one frame turn and the dump included)', file=sys.stderr)
        self.editor.save_tracks()
        self.demo.expect('save ' + demosync.SAVED)
        saved = ElementTree.parse(self.demo.saved).getroot()
        frame = next(t for t in saved.find('tracks') if t.get('name') == 'FRAME')
        self.assertEqual(len(frame), 10000)

    def test_refused_connections_leave_it_playing_until_an_editor_comes(self):
        port = free_port()
        self.demo = Demo(port)
        first = self.demo.expect('connect-failed')
        self.demo.expect('connect-failed', first + 1)  # tried again
        self.demo.still_turning()
        self.assertEqual(self.demo.current()['playing'], 1)
        self.assertEqual(self.demo.current()['linked'], 0)
        late = rocket_editor.RocketEditor(port=port)
        try:
            late.accept(WAIT)
            late.greet(timeout=WAIT)
            late.wait_tracks(64, WAIT)
            self.demo.wait_state(lambda s: s['linked'] == 1, 'the link up')
        finally:
            late.stop()
        self.demo.escape()

    def test_bad_messages_close_the_link_keep_the_keys_and_reconnect(self):
        self.demo = Demo(self.editor.port)
        self.connect()
        self.editor.set_key('FCSRANGE', 0, 0.5, 0)
        self.demo.wait_state(lambda s: s['FCSRANGE'] == 0.5, 'the key')
        cases = [
            (lambda e: e.send_garbage(), 'unknown command 0x7f'),
            (lambda e: e.set_key(64, 0, 1.0, 0), 'track 64 was never asked for'),
            (lambda e: e.set_key('FRAME', (1 << 24) + 1, 1.0, 0), 'row 16777217 is outside'),
            (lambda e: e.set_key_bits('FRAME', 0, 0x7fc00000, 0), 'is not a finite number'),
            (lambda e: e.set_key('FRAME', 0, 1.0, 5), 'key type 5 is outside'),
        ]
        after = 0
        for misbehave, reason in cases:
            misbehave(self.editor)
            after = self.demo.expect(f'fault .*{re.escape(reason)}.*', after)
            self.editor.wait_closed(WAIT)
            self.demo.still_turning()
            # Until the next editor answers, the curves keep the keys they had.
            self.assertEqual(self.demo.current()['FCSRANGE'], 0.5)
            self.editor.keys.clear()
            self.editor.hold_key('FCSRANGE', 0, 0.5, 0)
            self.connect(after)
        self.demo.escape()

    def test_an_editor_gone_mid_message_or_silent_leaves_it_running(self):
        self.demo = Demo(self.editor.port, '--greeting-timeout-ms', '2000')
        self.connect()
        self.editor.close_mid_message()
        closed = self.demo.expect('closed .*middle of a message')
        self.demo.still_turning()

        # The next editor never answers the greeting: after two seconds the demo leaves it.
        self.editor.accept(WAIT)
        self.editor.greet(answer=None, timeout=WAIT)
        timeout = self.demo.expect('timeout greeting', closed)
        self.editor.wait_closed(WAIT)
        self.demo.still_turning()
        self.connect(timeout)
        self.demo.escape()


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
