#!/usr/bin/env python3
"""demo-sync.exe's transport keys under Wine, without an editor (the port refuses) and without a
Direct3D device: keys pressed with xdotool, their moves read from the --dump file (time, row,
music frame, playing; rewritten every turn). Rows are 2,646 music frames apart (0.06 s).

usage: demo-sync-transport-test.py DEMO_SYNC.exe SOURCE_DIR WORK_DIR [unittest arguments]
It runs itself inside scripts/session.sh --no-gl, in the Wine prefix build/wineprefix-sync.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demosync  # noqa: E402
from demosync import Demo, free_port  # noqa: E402

DEMO, SOURCE, WORK = demosync.setup(sys.argv, ['--no-gl'], __doc__)
ROW_FRAMES = 2646


class TransportTest(unittest.TestCase):
    def setUp(self):
        self.demo = Demo(free_port(), '--loop', 'r16:r40')

    def tearDown(self):
        self.demo.stop()

    def press(self, key, predicate, what):
        self.demo.press(key)
        return self.demo.wait_state(predicate, f'{what} after {key}')

    def test_keys_move_pause_step_and_loop(self):
        self.demo.wait_state(lambda s: s['playing'] == 1, 'playing')
        self.press('space', lambda s: s['playing'] == 0, 'paused')
        self.press('Home', lambda s: s['row'] == 0 and s['music'] == 0, 'row 0')
        on8 = self.press('Right', lambda s: s['row'] == 8, 'a beat on')
        self.assertLessEqual(abs(on8['music'] - 8 * ROW_FRAMES), 2)
        on32 = self.press('shift+Right', lambda s: s['row'] == 32, 'on to the bar line')
        self.assertLessEqual(abs(on32['music'] - 32 * ROW_FRAMES), 2)
        # One frame of 60 a second: 735 music frames, still on row 32.
        self.press('period', lambda s: s['music'] == on32['music'] + 735, 'one frame on')
        self.assertEqual(self.demo.current()['row'], 32)
        self.assertEqual(self.demo.current()['playing'], 0)
        # L loops rows 16 to 40 (--loop); a beat on from 32 is the loop's end: round to 16.
        self.press('l', lambda s: True, 'a dump')
        self.demo.expect('loop 16 40')
        self.press('Right', lambda s: s['row'] == 16, 'the loop start')
        # Playing goes round the loop with the music: near its end, then back at its start.
        self.press('space', lambda s: s['playing'] == 1, 'playing')
        near_end = self.demo.wait_state(lambda s: s['row'] >= 36, 'the loop near its end')
        self.assertLess(near_end['row'], 40)
        back = self.demo.wait_state(lambda s: s['row'] < 30, 'the loop gone round')
        self.assertGreaterEqual(back['row'], 16)
        self.assertLess(back['music'], 30 * ROW_FRAMES)
        self.demo.escape()


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
