#!/usr/bin/env python3
"""demo-sync.exe's editor over the picture under Wine, with the picture drawn (the software
rasteriser: a frame takes seconds, so every wait is for a state, never for a time).

Paused on row 16, the keys the README lists type a key of 40 for the camera's first track there:
the frame work takes it (the --dump's variables), Ctrl+S saves it (the file every sync editor opens
holds it), and the picture at that row changes, compared with the overlay and the editor hidden
(F2). An edit left unsaved makes the first Escape warn and the second quit.

usage: demo-sync-editor-test.py DEMO_SYNC.exe SOURCE_DIR WORK_DIR [unittest arguments]
It runs itself inside scripts/session.sh, in the Wine prefix build/wineprefix-sync.
"""
import os
import re
import subprocess
import sys
import time
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demosync  # noqa: E402
from demosync import WAIT, Demo, free_port  # noqa: E402

DEMO, SOURCE, WORK = demosync.setup(sys.argv, [], __doc__)
PROBE = os.path.join(SOURCE, 'build/host/tools/screen-probe/screen-probe')


class EditorTest(unittest.TestCase):
    def setUp(self):
        if not os.access(PROBE, os.X_OK):
            self.fail(f'{PROBE} is missing: make host builds it')
        self.demo = Demo(free_port(), '--editor', width=320, height=180)

    def tearDown(self):
        self.demo.stop()

    def screen(self):
        return subprocess.run([PROBE], capture_output=True, text=True).stdout.strip()

    def still_screen(self):
        """The screen once two looks a second apart agree: the frames on their way have arrived."""
        deadline = time.monotonic() + WAIT
        last = self.screen()
        while time.monotonic() < deadline:
            time.sleep(1)
            now = self.screen()
            if now == last:
                return now
            last = now
        self.fail('the screen never held still')

    def test_a_key_typed_at_a_row_is_taken_saved_and_shown(self):
        demo = self.demo
        self.demo.press('space')
        demo.wait_state(lambda s: s['playing'] == 0, 'paused')
        self.demo.press('Home', 'Right', 'Right')
        before = demo.wait_state(lambda s: s['row'] == 16, 'row 16')
        self.assertNotEqual(before['CameraPosX'], 40)
        self.demo.press('F2')
        picture = self.still_screen()
        self.demo.press('F2', 'Return')
        demo.wait_state(lambda s: s['typing'] == 1, 'the value field taking the keys')
        self.demo.press('4', '0', 'Return')
        demo.wait_state(lambda s: s['CameraPosX'] == 40, 'the typed key in the frame work')
        self.demo.press('ctrl+s')
        demo.expect(re.escape('keys saved to ' + demosync.SAVED))
        keys = {(int(k.get('row')), float(k.get('value')), int(k.get('interpolation')))
                for t in ElementTree.parse(demo.saved).getroot().iter('track') if t.get('name') == 'CameraPosX'
                for k in t.iter('key')}
        self.assertIn((16, 40.0, 0), keys)  # the key before row 16 steps: a new key takes its type
        self.demo.press('F2')
        deadline = time.monotonic() + WAIT
        while self.screen() == picture:
            self.assertLess(time.monotonic(), deadline, 'the picture at row 16 never changed')
            time.sleep(0.5)

        # Unsaved again: the first Escape warns, the second quits.
        self.demo.press('F2', 'Delete')
        demo.wait_state(lambda s: s['CameraPosX'] != 40, 'the key deleted')
        self.demo.press('Escape')
        demo.expect(re.escape('the keys have unsaved edits: Escape again quits without them, Ctrl+S saves them'))
        self.assertIsNone(demo.process.poll())
        demo.escape(limit_ms=WAIT * 1000)


if __name__ == '__main__':
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:])
